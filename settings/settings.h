// The settings file "vesk.ini": the main window's seven field texts and the check box state,
// eight lines, CR LF, in the system's own encoding, beside the executable.
#pragma once

#include <QString>
#include <array>
#include <optional>

namespace veskar::settings {

struct SettingsRecord {
  std::array<QString, 7> texts;   // Text1 .. Text7, verbatim
  std::optional<int> boxState;    // Check1: 0, 1 or 2; absent after a missing or failed read
};

// The defaults when there is no file, and when a file is there but cannot be read whole.
SettingsRecord missingFileDefaults();   // "114.00", "3", "29.00", "5", "0.15", "0.10", "115.15"
SettingsRecord readFailureDefaults();   // the same but "113.00" in Text1

// The directory holding the running executable (QCoreApplication::applicationDirPath()).
QString applicationDirectory();

// `dir` joined to `name` with exactly one separator ("/" here), also at the root "/".
QString AppFilePath(const QString& dir, const QString& name);

// False only when the file is not found (ENOENT); an empty path is false without a look.
bool FileExists(const QString& path);

// Reads AppFilePath(dir, "vesk.ini"): all from the file, or one of the default sets. Never fails.
SettingsRecord LoadSettings(const QString& dir);

struct SaveResult {
  bool ok = true;
  QString error;  // the system's description when !ok
};

// Rewrites AppFilePath(dir, "vesk.ini") atomically: the old file stays whole if writing fails.
// Requires record.boxState.
SaveResult SaveSettings(const QString& dir, const SettingsRecord& record);

}  // namespace veskar::settings
