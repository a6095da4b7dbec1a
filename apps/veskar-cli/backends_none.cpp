// veskar-cli's backends where the build has none: DXF files only.
#include "cli.h"

namespace veskar::cli {

std::shared_ptr<void> startToolkit(int, char**, bool) { return nullptr; }

Backends backends() { return {}; }

}  // namespace veskar::cli
