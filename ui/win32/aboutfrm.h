// aboutfrm on Windows, in Win32: who made the program and how to reach them, built from
// layout::kAbout; its header and address labels open the maker's page or a new mail.
#pragma once

#include <windows.h>

#include <cstddef>

namespace veskar::ui::win32 {

// Every element that is a window has the id kAboutControlId + its index in layout::kAbout
// (the white band and the line under it are painted by the window itself).
inline constexpr int kAboutControlId = 2000;
inline constexpr const wchar_t* kAboutClass = L"VeskarAbout";

// Shows the about window, centred on the screen, modally: `owner` takes no input until it is
// closed (its OK button, the close box, Enter or Escape).
void showAbout(HWND owner);

}  // namespace veskar::ui::win32
