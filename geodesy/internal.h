#pragma once

namespace veskar::geodesy {
// Throws GeodesyError(NonFinite) naming `what` when v is NaN or infinite.
void requireFinite(double v, const char* what);
}  // namespace veskar::geodesy
