#include "graticule/draw_messages.h"

namespace veskar::graticule {

std::vector<std::string> drawMessages(const DrawOutcome& outcome) {
  using Status = DrawOutcome::Status;
  std::vector<std::string> out;
  if (!outcome.settingsSave.ok)
    out.push_back(settingsSaveText("vesk.ini", outcome.settingsSave.error));
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
      out.push_back(interruptionText(outcome.failedStep, outcome.message, outcome.entitiesAdded));
      break;
  }
  return out;
}

std::string settingsSaveText(const std::string& fileName, const std::string& error) {
  return "设置文件 " + fileName + " 未能保存：" + error + "\n本次输入仍用于绘图。";
}

std::string interruptionText(const std::string& step, const std::string& reason, std::size_t entitiesAdded) {
  return "绘图中断。\n失败的操作：" + step + "\n原因：" + reason + "\n已绘制图元：" + std::to_string(entitiesAdded) +
         " 个";
}

std::string progressText(std::size_t done, std::size_t total) {
  return "已发送 " + std::to_string(done) + " / " + std::to_string(total) + " 个图元";
}

}  // namespace veskar::graticule
