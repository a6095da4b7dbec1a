// The sheet window's settings file "veskar-sheet.ini", beside vesk.ini in the application
// directory and written by the same rules: the system's code page, CR LF, replaced atomically.
// One line per field of kSheetFields, "key=value", in the table's order; the sheet window reads
// and writes only this file, never vesk.ini.
#pragma once

#include <array>
#include <string>

#include "settings/settings.h"
#include "settings/sheet_fields.h"

namespace veskar::settings {

inline constexpr const char* kSheetSettingsFile = "veskar-sheet.ini";

struct SheetSettings {
  std::array<std::string, kSheetFields.size()> values;  // by SheetFieldIndex, UTF-8, verbatim
};

// Every field at its kSheetFields default.
SheetSettings sheetDefaults();

// Reads AppFilePath(dir, kSheetSettingsFile). A line ends at LF, CR LF or CR; byte-order marks in
// front of the file are dropped. A line "key=value" whose key (blanks around it allowed) is a
// field's gives that field everything after the first "=", as it is; a later line of the same
// key wins. Other lines, and fields without a line, keep their defaults; a file that is missing
// or cannot be read gives the defaults. Never fails.
SheetSettings LoadSheetSettings(const std::string& dir);

// Rewrites the file atomically, every field in the table's order; a CR or LF inside a value
// (which the file could not hold) is written as a blank.
SaveResult SaveSheetSettings(const std::string& dir, const SheetSettings& settings);

}  // namespace veskar::settings
