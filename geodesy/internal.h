#pragma once

#include <cmath>

namespace veskar::geodesy {

// Throws GeodesyError(NonFinite) naming `what`; kept out of line, off the hot path.
[[noreturn, gnu::cold, gnu::noinline]] void throwNonFinite(const char* what);

// Throws GeodesyError(NonFinite) naming `what` when v is NaN or infinite.
inline void requireFinite(double v, const char* what) {
  if (!std::isfinite(v)) [[unlikely]]
    throwNonFinite(what);
}

}  // namespace veskar::geodesy
