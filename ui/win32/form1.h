// Form1 on Windows, in Win32: seven input fields, the coordinate-system check box and the
// buttons Draw, More software, Help and Exit, built from layout::kForm1.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "graticule/draw_command.h"
#include "ui/layout/forms.h"

namespace veskar::ui::win32 {

// Every control of Form1 has the id kForm1ControlId + its index in layout::kForm1, so that
// tools and tests can tell the controls by their names.
inline constexpr int kForm1ControlId = 1000;
inline constexpr int form1ControlId(std::size_t index) {
  return kForm1ControlId + static_cast<int>(index);
}
// The window classes of Form1, the about window and the progress window.
inline constexpr const wchar_t* kForm1Class = L"VeskarForm1";
// 图幅整饰… in Form1's system menu and context menu, which starts veskar-sheet.exe (a system
// command: a multiple of 16, below 0xF000).
inline constexpr UINT kSheetCommand = 0x0110;

struct Form1Options {
  // Where vesk.ini and vesk.chm live; empty: the directory of the running executable.
  std::string appDir;
  // How Draw reaches the CAD program; empty: COM (AutoCAD.Application, else a compatible one).
  graticule::ConnectCadFn connectCad;
};

// Registers the window classes, creates Form1 (its load sequence included: help file,
// placement, settings), shows it with the focus in Text1 and runs the message loop until the
// window is closed or Exit is pressed. Returns the program's exit status. COM must have been
// started on this thread (OleInitialize) by the caller.
int runForm1(HINSTANCE instance, int show, Form1Options options = {});

}  // namespace veskar::ui::win32
