// What the window tells the user after a press of Draw: the texts of its message boxes, in
// the order they are shown. Both windows (Linux and Windows) show exactly these.
#pragma once

#include <string>
#include <vector>

#include "graticule/draw_command.h"

namespace veskar::graticule {

// A whole graticule drawn with nothing to report gives no message. Otherwise: the settings
// file that could not be saved (the drawing went on), then the outcome: lines that could not
// be drawn, the refusal naming the field, the platform's description of a failed connection
// as it comes, or the interrupted drawing with its step, reason and count of entities drawn.
std::vector<std::string> drawMessages(const DrawOutcome& outcome);

// The texts the windows share: a settings file that could not be saved (the drawing goes on),
// and a drawing interrupted after the CAD program was reached, with its step, reason and count of
// entities drawn.
std::string settingsSaveText(const std::string& fileName, const std::string& error);
std::string interruptionText(const std::string& step, const std::string& reason, std::size_t entitiesAdded);

// A long Draw shows how far it has got, once it has run this long, in a small window over the
// main one: its title and its line (entities sent of the total).
inline constexpr int kProgressAfterMs = 1000;
inline constexpr const char* kProgressTitle = "正在绘制经纬网";
std::string progressText(std::size_t done, std::size_t total);  // "已发送 1024 / 20200 个图元"

}  // namespace veskar::graticule
