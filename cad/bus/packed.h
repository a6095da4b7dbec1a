// The drawing application's batch in a compact form, for the client of this project: the
// operations and their results as one byte array each (D-Bus "ay"), instead of a structure of
// variants per value. Same operations, same meaning as org.veskar.Cad.Application.Batch; only
// the form differs, which costs a fraction of the time to build and to read.
//
//   operations  per operation: target, member (strings), the count of arguments (u16), the
//               arguments (values)
//   results     per operation that ran: the count of objects it gave (u16), their paths
//               (strings), then its value
//   string      u32 byte count, UTF-8 bytes
//   value       a type byte - 0 empty, 1 bool, 2 16-bit, 3 32-bit, 4 double, 5 string,
//               6 array of doubles - then: bool one byte; integers and doubles their bytes,
//               little-endian; a string as above; an array its u32 count and the doubles
//
// Malformed input is refused with CadError(InvalidArg).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cad/automation.h"

namespace veskar::cad::bus::packed {

struct Op {
  std::string target;  // an object path, "$k" or "$k.n"
  std::string member;  // a method, "Get", "Set", or a path of properties ending in a method
  std::vector<Variant> args;
};

struct Result {
  std::vector<std::string> objects;  // the objects the operation gave, the last the one it made
  Variant value;                     // a property's value; empty for the rest
};

std::string encode(const std::vector<Op>& ops);
std::vector<Op> decodeOps(std::string_view bytes);
std::string encode(const std::vector<Result>& results);
std::vector<Result> decodeResults(std::string_view bytes);

}  // namespace veskar::cad::bus::packed
