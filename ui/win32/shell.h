// The platform's shell and help viewer, as the windows use them: nothing is examined and
// nothing is shown when they fail.
#pragma once

#include <windows.h>

#include <string>

namespace veskar::ui::win32 {

// The shell's "open" of a web page or a "mailto:" address, owned by `owner`.
void openAddress(HWND owner, const std::string& address);

// The HTML Help viewer (HtmlHelpW of hhctrl.ocx, loaded at the first use) on `helpFile` at
// its default topic, owned by `owner`.
void showHelp(HWND owner, const std::string& helpFile);

// Lets an open help viewer take its keys first; true when it did.
bool helpMessage(MSG& msg);

}  // namespace veskar::ui::win32
