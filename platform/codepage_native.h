// What each system's code-page conversion provides to the portable half of platform/text.h.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace veskar::platform {

// UTF-8 to code page 936 by the system's converter, without fallbacks: nothing when a character
// has no form there.
std::optional<std::string> convertToCodePage936(std::string_view utf8);

}  // namespace veskar::platform
