// veskar-sheet.exe: the sheet window (图幅整饰) on Windows. It places the window, fills it from
// veskar-sheet.ini, shows it with the focus in 图号 and waits for the user.
#include <windows.h>
// After windows.h:
#include <ole2.h>

#include "ui/win32/sheetwindow.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  // One single-threaded apartment for the CAD program's automation, the help viewer and the
  // save dialog.
  OleInitialize(nullptr);
  const int status = veskar::ui::win32::runSheetWindow(instance, show);
  OleUninitialize();
  return status;
}
