// The error number a call throws as CadError, or 0 when it returns.
#pragma once

#include <cstdint>

#include "cad/automation.h"

namespace veskar::cad {

template <typename F>
std::int32_t errorOf(F f) {
  try {
    f();
  } catch (const CadError& e) {
    return e.number();
  }
  return 0;
}

}  // namespace veskar::cad
