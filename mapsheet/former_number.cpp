#include "mapsheet/former_number.h"

namespace veskar::mapsheet {

// geodesy's sheet arithmetic numbers sheets in the present form only: no former numbers are
// known, and every list says so ("-", null).
std::optional<std::string> FormerNumber(const geodesy::MapSheet&) { return std::nullopt; }

}  // namespace veskar::mapsheet
