// A sheet's former number (the scheme before 1992: J-50-5-B), for the lists and maps of sheets.
#pragma once

#include <optional>
#include <string>

#include "geodesy/sheets.h"

namespace veskar::mapsheet {

// The former number of the sheet; nothing where the sheet arithmetic knows none.
std::optional<std::string> FormerNumber(const geodesy::MapSheet& sheet);

}  // namespace veskar::mapsheet
