#include "options.h"

#include <algorithm>
#include <ostream>

namespace veskar::cli {
namespace {

const Option* find(const Command& c, const std::string& name) {
  for (const Option& o : c.options) {
    if (o.name == name || (!o.shortName.empty() && o.shortName == name)) return &o;
  }
  return nullptr;
}

std::string shown(const Option& o) {
  std::string s = o.shortName.empty() ? o.name : o.shortName + ", " + o.name;
  return o.value.empty() ? s : s + (o.valueOptional ? " [" + o.value + "]" : " " + o.value);
}

// An option's name rather than a value or operand (numbers such as -5 are no options).
bool isOption(const std::string& a) { return a.size() >= 2 && a[0] == '-' && !(a[1] >= '0' && a[1] <= '9') && a[1] != '.'; }

}  // namespace

std::string Parsed::value(const std::string& name, const std::string& fallback) const {
  const auto it = values_.find(name);
  return it == values_.end() || it->second.empty() ? fallback : it->second.back();
}

std::optional<Parsed> parse(const Command& c, const Args& args, std::ostream& err, bool& help) {
  Parsed p;
  help = false;
  const auto fail = [&](const std::string& message) -> std::optional<Parsed> {
    err << c.prefix << ": " << message << "\n";
    usage(c, err);
    return std::nullopt;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!isOption(a)) {
      p.operands_.push_back(a);
      continue;
    }
    const std::size_t eq = a.rfind("--", 0) == 0 ? a.find('=') : std::string::npos;
    const std::string name = eq == std::string::npos ? a : a.substr(0, eq);
    if ((name == "--help" || name == "-h") && eq == std::string::npos) {
      help = true;
      return p;
    }
    const Option* o = find(c, name);
    if (!o || (o->value.empty() && eq != std::string::npos)) return fail("unknown option " + a);
    std::vector<std::string>& values = p.values_[o->name];
    p.order_.push_back(o->name);
    if (o->value.empty()) continue;
    values.clear();
    if (eq != std::string::npos) values.push_back(a.substr(eq + 1));
    if (o->valueOptional && values.empty() && (i + 1 >= args.size() || isOption(args[i + 1]))) continue;
    while (static_cast<int>(values.size()) < o->arity) {
      if (++i >= args.size()) {
        return fail(name + " needs " + (o->arity > 1 ? "values" : "a value"));
      }
      values.push_back(args[i]);
    }
  }
  return p;
}

void usage(const Command& c, std::ostream& os) {
  os << "usage: veskar-cli " << c.name << " " << c.synopsis << "\n\n" << c.summary;
  if (!c.options.empty()) os << "\nOptions:\n";
  std::size_t width = 0;
  for (const Option& o : c.options) width = std::max(width, shown(o).size());
  width = std::min<std::size_t>(width, 26);
  for (const Option& o : c.options) {
    std::string left = "  " + shown(o);
    left += left.size() < width + 4 ? std::string(width + 4 - left.size(), ' ') : "\n" + std::string(width + 4, ' ');
    std::string help = o.help;
    const std::string indent = "\n" + std::string(width + 4, ' ');
    for (std::size_t nl = 0; (nl = help.find('\n', nl)) != std::string::npos; nl += indent.size())
      help.replace(nl, 1, indent);
    os << left << help << "\n";
  }
  if (!c.notes.empty()) os << "\n" << c.notes;
}

std::optional<Parsed> parseOrAnswer(const Command& command, const Args& args, std::ostream& out, std::ostream& err,
                                    int& status) {
  bool help = false;
  std::optional<Parsed> p = parse(command, args, err, help);
  status = p ? 0 : 2;
  if (p && help) {
    usage(command, out);
    return std::nullopt;
  }
  return p;
}

}  // namespace veskar::cli
