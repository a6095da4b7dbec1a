// How the Linux windows reach the drawing application veskar-cad: ConnectCad over the session
// bus (cad::Cadbas), the link made at the first press and kept for the next.
#pragma once

#include <QString>

#include "graticule/draw_command.h"

namespace veskar::ui {

// `cadProgramDir`: where veskar-cad is looked for first; empty: the running executable's
// directory. Without the bus in the build, the connection fails and says so.
graticule::ConnectCadFn busConnection(const QString& cadProgramDir);

}  // namespace veskar::ui
