// The platform's shell and help viewer, as the windows use them: nothing is examined and
// nothing is shown when they fail.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace veskar::ui::win32 {

// The shell's "open" of a web page or a "mailto:" address, owned by `owner`.
void openAddress(HWND owner, const std::string& address);

// The HTML Help viewer (HtmlHelpW of hhctrl.ocx, loaded at the first use) on `helpFile` at
// `topic` (a page of the file, "sheet.html"; empty: its default topic), owned by `owner`.
void showHelp(HWND owner, const std::string& helpFile, const std::string& topic = {});

// Starts the program `path` on its own, not waited for; false with the system's description of
// the failure in `error`.
bool startProgram(const std::string& path, std::string& error);

// The save-file dialog, modal over `owner`: the chosen path, or nothing when cancelled. It
// offers `suggestedName`, files of `pattern` ("*.dxf", described by `type`), and asks before
// replacing a file.
std::optional<std::string> chooseSaveFile(HWND owner, const std::string& title, const std::string& suggestedName,
                                          const std::string& type, const std::string& pattern);

// Lets an open help viewer take its keys first; true when it did.
bool helpMessage(MSG& msg);

}  // namespace veskar::ui::win32
