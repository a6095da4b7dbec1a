#include "graticule/draw_messages.h"

namespace veskar::graticule {

std::vector<std::string> drawMessages(const DrawOutcome& outcome) {
  using Status = DrawOutcome::Status;
  std::vector<std::string> out;
  if (!outcome.settingsSave.ok)
    out.push_back("设置文件 vesk.ini 未能保存：" + outcome.settingsSave.error + "\n本次输入仍用于绘图。");
  switch (outcome.status) {
    case Status::Drawn:
      // Lines that could not be drawn (a count below 1, a single line of one direction) are
      // told; a whole graticule shows nothing.
      if (!outcome.skipped.empty()) out.push_back(outcome.skipped);
      break;
    case Status::Refused:
    case Status::ConnectFailed:  // the platform's description, as it comes
      out.push_back(outcome.message);
      break;
    case Status::FailedAfterAttach:
      out.push_back("绘图中断。\n失败的操作：" + outcome.failedStep + "\n原因：" + outcome.message +
                    "\n已绘制图元：" + std::to_string(outcome.entitiesAdded) + " 个");
      break;
  }
  return out;
}

std::string progressText(std::size_t done, std::size_t total) {
  return "已发送 " + std::to_string(done) + " / " + std::to_string(total) + " 个图元";
}

}  // namespace veskar::graticule
