// The sheet window (图幅整饰) on Windows, in Win32: a national or a square map sheet by its
// number (or the sheet at a point), finished into the CAD program or into a DXF file. Built
// from layout::kSheet as Form1 is from its table, with Form1's look; each division (分幅) shows
// its own controls. Which fields count, what the drop-down lists hold and what its buttons do
// are mapsheet/sheet_form's, shared with the Linux window.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "graticule/draw_command.h"
#include "ui/layout/forms.h"

namespace veskar::ui::win32 {

// Every control of the sheet window has the id kSheetControlId + its index in layout::kSheet,
// so that tools and tests can tell the controls by their names.
inline constexpr int kSheetControlId = 2000;
inline constexpr int sheetControlId(std::size_t index) { return kSheetControlId + static_cast<int>(index); }
inline constexpr const wchar_t* kSheetClass = L"VeskarSheet";

struct SheetWindowOptions {
  // Where veskar-sheet.ini and vesk.chm live; empty: the directory of the running executable.
  std::string appDir;
  // How 绘图 reaches the CAD program; empty: COM (AutoCAD.Application, else a compatible one).
  graticule::ConnectCadFn connectCad;
};

// Registers the window class, creates the window (placed, filled from veskar-sheet.ini), shows
// it with the focus in 图号 and runs the message loop until it is closed. Returns the program's
// exit status. COM must have been started on this thread (OleInitialize) by the caller.
int runSheetWindow(HINSTANCE instance, int show, SheetWindowOptions options = {});

}  // namespace veskar::ui::win32
