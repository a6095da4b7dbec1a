// Runs a piece of a test as the user nobody (Linux). File permissions do not bind root, and
// CI runs as root: there the piece runs in a child process that has become nobody.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace veskar::testing {

// What `piece` returned, run as nobody when this process is root and as the current user
// otherwise; nothing when the child could not become nobody or did not report.
std::optional<std::string> asNobody(const std::function<std::string()>& piece);

}  // namespace veskar::testing
