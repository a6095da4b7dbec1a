// veskar.exe: the program on Windows. It loads the main window Form1, whose load sequence
// places it and fills it from vesk.ini, shows it and waits for the user.
#include <windows.h>
// After windows.h:
#include <ole2.h>

#include "ui/win32/form1.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  // One single-threaded apartment for the CAD program's automation and the help viewer.
  OleInitialize(nullptr);
  const int status = veskar::ui::win32::runForm1(instance, show);
  OleUninitialize();
  return status;
}
