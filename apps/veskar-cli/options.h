// veskar-cli's commands as tables: each command lists its options, and from that one list come
// the parsing (each option matched exactly, "--name value" or "--name=value") and the usage
// text.
#pragma once

#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace veskar::cli {

using Args = std::vector<std::string>;

struct Option {
  std::string name;       // "--central-meridian"
  std::string shortName;  // "-o", or empty
  std::string value;      // what it takes, as the usage names it ("L0", "B L"); empty: a flag
  std::string help;       // one line or a few, for the usage
  int arity = 1;          // values it takes (when it takes any)
  // The value may be left out: the next argument is its value only when it is no option.
  bool valueOptional = false;
};

struct Command {
  std::string name;      // "forward"
  std::string synopsis;  // after "usage: veskar-cli NAME "
  std::string summary;   // what the command does, lines of at most 90 characters
  std::vector<Option> options;
  std::string prefix;    // messages start with it: "veskar-cli" or "veskar-cli draw"
  std::string notes;     // after the options
};

// The options given, by name, in the order given; values as given.
class Parsed {
 public:
  bool has(const std::string& name) const { return values_.count(name) > 0; }
  // The (last) value of an option taking one; `fallback` when not given.
  std::string value(const std::string& name, const std::string& fallback = {}) const;
  const std::vector<std::string>& values(const std::string& name) const { return values_.at(name); }
  const std::vector<std::string>& operands() const { return operands_; }
  // The options given, in order (flags too).
  const std::vector<std::string>& order() const { return order_; }

 private:
  friend std::optional<Parsed> parse(const Command&, const Args&, std::ostream&, bool&);
  std::map<std::string, std::vector<std::string>> values_;
  std::vector<std::string> order_;
  std::vector<std::string> operands_;
};

// Parses `args` (after the command's name). A usage error is told on `err`, followed by the
// usage, and gives nothing (the command then ends with status 2). "--help" and "-h" are
// always there: `help` is then set.
std::optional<Parsed> parse(const Command& command, const Args& args, std::ostream& err, bool& help);

void usage(const Command& command, std::ostream& os);

// What a command does first: parses `args`; nothing when the command ends here - with the
// usage on `out` after --help (`status` 0), or after a usage error (`status` 2).
std::optional<Parsed> parseOrAnswer(const Command& command, const Args& args, std::ostream& out, std::ostream& err,
                                    int& status);

}  // namespace veskar::cli
