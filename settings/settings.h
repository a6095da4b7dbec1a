// The settings file "vesk.ini": the main window's seven field texts and the check box state,
// eight lines, CR LF, in the system's code page, beside the executable.
#pragma once

#include <array>
#include <optional>
#include <string>

namespace veskar::settings {

struct SettingsRecord {
  std::array<std::string, 7> texts;  // Text1 .. Text7, verbatim, UTF-8
  std::optional<int> boxState;       // Check1: 0, 1 or 2; absent after a missing or failed read
};

// The defaults when there is no file, and when a file is there but cannot be read whole.
SettingsRecord missingFileDefaults();   // "114.00", "3", "29.00", "5", "0.15", "0.10", "115.15"
SettingsRecord readFailureDefaults();   // the same but "113.00" in Text1

// The directory holding the running executable.
std::string applicationDirectory();

// `dir` joined to `name` with exactly one separator ("/" on Linux, "\" on Windows), also at
// the root.
std::string AppFilePath(const std::string& dir, const std::string& name);

// False only when the file is not found; an empty path is false without a look.
bool FileExists(const std::string& path);

// Reads AppFilePath(dir, "vesk.ini"): all from the file, or one of the default sets. Never fails.
SettingsRecord LoadSettings(const std::string& dir);

struct SaveResult {
  bool ok = true;
  std::string error;  // the system's description when !ok
};

// Rewrites AppFilePath(dir, "vesk.ini") atomically: the old file stays whole if writing fails.
// Requires record.boxState.
SaveResult SaveSettings(const std::string& dir, const SettingsRecord& record);

}  // namespace veskar::settings
