#include "settings/settings.h"

#include <cmath>

#include "platform/files.h"
#include "platform/text.h"
#include "settings/decimal_text.h"
#include "settings/fields.h"

namespace veskar::settings {
namespace {

const std::string kFileName = "vesk.ini";

SettingsRecord defaults(bool fileMissing) {
  SettingsRecord r;
  for (std::size_t i = 0; i < kFields.size(); ++i)
    r.texts[i] = fileMissing ? kFields[i].missingFileDefault : kFields[i].readFailureDefault;
  return r;
}

// Line 8: the whole line (blanks around it allowed) must be a decimal number; it is rounded to
// the nearest whole number, halves to the even neighbour, and only 0, 1 and 2 are accepted.
std::optional<int> boxStateOf(std::string_view line) {
  const DecimalScan s = scanDecimal(line);
  if (!s.found) return std::nullopt;
  for (std::size_t i = s.end; i < line.size(); ++i) {
    if (!isBlank(line[i])) return std::nullopt;
  }
  const double rounded = std::nearbyint(s.value);  // the default rounding mode: halves to even
  if (rounded == 0.0) return 0;
  if (rounded == 1.0) return 1;
  if (rounded == 2.0) return 2;
  return std::nullopt;
}

// A record read whole from `text`, or nothing. A line ends at LF, and a CR just before the LF
// belongs to the line end; the last line may lack its line end. Lines after the eighth are
// never looked at.
std::optional<SettingsRecord> parse(std::string_view text) {
  SettingsRecord r;
  std::size_t pos = 0;
  for (int line = 0; line < 8; ++line) {
    if (pos >= text.size()) return std::nullopt;  // no line left
    const std::size_t lf = text.find('\n', pos);
    const std::size_t next = lf == std::string_view::npos ? text.size() : lf + 1;
    std::size_t end = lf == std::string_view::npos ? text.size() : lf;
    if (lf != std::string_view::npos && end > pos && text[end - 1] == '\r') --end;
    const std::string_view content = text.substr(pos, end - pos);
    if (line < 7) {
      r.texts[static_cast<std::size_t>(line)] = std::string(content);
    } else {
      r.boxState = boxStateOf(content);
      if (!r.boxState) return std::nullopt;
    }
    pos = next;
  }
  return r;
}

}  // namespace

SettingsRecord missingFileDefaults() { return defaults(true); }
SettingsRecord readFailureDefaults() { return defaults(false); }

std::string applicationDirectory() { return platform::applicationDirectory(); }

std::string AppFilePath(const std::string& dir, const std::string& name) {
  if (!dir.empty() && dir.back() == platform::kPathSeparator) return dir + name;
  return dir + platform::kPathSeparator + name;
}

// Only "not found" counts as missing. Anything else (no permission, a path through a regular
// file, a name too long, ...) counts as present, so that the read that follows fails and gives
// the read-failure defaults, never the missing-file ones.
bool FileExists(const std::string& path) { return platform::fileExists(path); }

SettingsRecord LoadSettings(const std::string& dir) {
  const std::string path = AppFilePath(dir, kFileName);
  if (!FileExists(path)) return missingFileDefaults();
  std::string error;
  const std::optional<std::string> bytes = platform::readFile(path, error);
  if (!bytes) return readFailureDefaults();
  // Decoded in the system's code page, looked up afresh on every load and save; byte-order
  // marks that editors put in front (one per save in some) are no part of the first field.
  std::string text = platform::fromSystemCodePage(*bytes);
  std::size_t marks = 0;
  while (text.compare(marks, 3, "\xEF\xBB\xBF") == 0) marks += 3;
  text.erase(0, marks);
  if (std::optional<SettingsRecord> r = parse(text)) return *r;
  return readFailureDefaults();
}

SaveResult SaveSettings(const std::string& dir, const SettingsRecord& record) {
  std::string text;
  for (const std::string& t : record.texts) text += t + "\r\n";
  text += std::to_string(record.boxState.value_or(0)) + "\r\n";
  // Written beside the file and renamed over it: the old file stays whole when anything fails.
  SaveResult result;
  if (std::optional<std::string> error =
          platform::replaceFile(AppFilePath(dir, kFileName), platform::toSystemCodePage(text))) {
    result.ok = false;
    result.error = error->empty() ? "Unknown error" : *error;
  }
  return result;
}

}  // namespace veskar::settings
