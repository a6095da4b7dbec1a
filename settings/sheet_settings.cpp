#include "settings/sheet_settings.h"

#include <algorithm>
#include <string_view>

#include "platform/files.h"
#include "platform/text.h"
#include "settings/decimal_text.h"

namespace veskar::settings {
namespace {

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

void readLine(std::string_view line, SheetSettings& s) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return;
  const std::string_view key = trimBlanks(line.substr(0, equals));
  for (std::size_t i = 0; i < kSheetFields.size(); ++i) {
    if (key == kSheetFields[i].key) s.values[i] = std::string(line.substr(equals + 1));
  }
}

}  // namespace

SheetSettings sheetDefaults() {
  SheetSettings s;
  for (std::size_t i = 0; i < kSheetFields.size(); ++i) s.values[i] = kSheetFields[i].defaultValue;
  return s;
}

SheetSettings LoadSheetSettings(const std::string& dir) {
  SheetSettings s = sheetDefaults();
  std::string error;
  const std::optional<std::string> bytes = platform::readFile(AppFilePath(dir, kSheetSettingsFile), error);
  if (!bytes) return s;
  // Decoded as vesk.ini is: in the system's code page, looked up afresh, without the marks.
  const std::string text = platform::fromSystemCodePage(*bytes);
  std::size_t pos = 0;
  while (text.compare(pos, 3, "\xEF\xBB\xBF") == 0) pos += 3;
  while (pos < text.size()) {
    const std::size_t end = std::min(text.find_first_of("\r\n", pos), text.size());
    readLine(std::string_view(text).substr(pos, end - pos), s);
    pos = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return s;
}

SaveResult SaveSheetSettings(const std::string& dir, const SheetSettings& s) {
  std::string text;
  for (std::size_t i = 0; i < kSheetFields.size(); ++i) {
    std::string value = s.values[i];
    for (char& c : value) {
      if (c == '\r' || c == '\n') c = ' ';
    }
    text += std::string(kSheetFields[i].key) + "=" + value + "\r\n";
  }
  SaveResult result;
  if (std::optional<std::string> error =
          platform::replaceFile(AppFilePath(dir, kSheetSettingsFile), platform::toSystemCodePage(text))) {
    result.ok = false;
    result.error = error->empty() ? "Unknown error" : *error;
  }
  return result;
}

}  // namespace veskar::settings
