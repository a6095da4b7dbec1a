// Resource ids of veskar.exe, shared by the resource script and the windows' code.
#pragma once

// The program's icon (32 x 32, 16 colours): the windows' and the about window's.
#define VESKAR_ICON 1
