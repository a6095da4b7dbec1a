#include "cad/bus/packed.h"

#include <cstdint>
#include <cstring>

namespace veskar::cad::bus::packed {
namespace {

template <typename T>
void put(std::string& out, T v) {
  char bytes[sizeof(T)];
  std::memcpy(bytes, &v, sizeof(T));  // the machines here are little-endian
  out.append(bytes, sizeof(T));
}

void putString(std::string& out, std::string_view s) {
  put(out, static_cast<std::uint32_t>(s.size()));
  out.append(s);
}

void putValue(std::string& out, const Variant& v) {
  out += static_cast<char>(v.index());
  switch (v.index()) {
    case 1: out += std::get<bool>(v) ? '\1' : '\0'; break;
    case 2: put(out, std::get<std::int16_t>(v)); break;
    case 3: put(out, std::get<std::int32_t>(v)); break;
    case 4: put(out, std::get<double>(v)); break;
    case 5: putString(out, std::get<std::string>(v)); break;
    case 6: {
      const auto& a = std::get<std::vector<double>>(v);
      put(out, static_cast<std::uint32_t>(a.size()));
      for (double d : a) put(out, d);
      break;
    }
    default: break;
  }
}

// Reads what the writer above wrote, refusing what runs past the end.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : rest_(bytes) {}
  bool done() const { return rest_.empty(); }

  template <typename T>
  T get() {
    need(sizeof(T));
    T v;
    std::memcpy(&v, rest_.data(), sizeof(T));
    rest_.remove_prefix(sizeof(T));
    return v;
  }
  std::string string() {
    const auto n = get<std::uint32_t>();
    need(n);
    std::string s(rest_.substr(0, n));
    rest_.remove_prefix(n);
    return s;
  }
  Variant value() {
    switch (get<std::uint8_t>()) {
      case 0: return std::monostate{};
      case 1: return get<std::uint8_t>() != 0;
      case 2: return get<std::int16_t>();
      case 3: return get<std::int32_t>();
      case 4: return get<double>();
      case 5: return string();
      case 6: {
        const auto n = get<std::uint32_t>();
        need(std::size_t(n) * sizeof(double));
        std::vector<double> a(n);
        for (double& d : a) d = get<double>();
        return a;
      }
      default: throw CadError(errc::InvalidArg, "A batch holds a value of no known type.");
    }
  }

 private:
  void need(std::size_t n) const {
    if (rest_.size() < n) throw CadError(errc::InvalidArg, "A batch ends in the middle of a value.");
  }
  std::string_view rest_;
};

}  // namespace

std::string encode(const std::vector<Op>& ops) {
  std::string out;
  out.reserve(ops.size() * 64);
  for (const Op& op : ops) {
    putString(out, op.target);
    putString(out, op.member);
    put(out, static_cast<std::uint16_t>(op.args.size()));
    for (const Variant& a : op.args) putValue(out, a);
  }
  return out;
}

std::vector<Op> decodeOps(std::string_view bytes) {
  Reader r(bytes);
  std::vector<Op> ops;
  while (!r.done()) {
    Op& op = ops.emplace_back();
    op.target = r.string();
    op.member = r.string();
    const auto n = r.get<std::uint16_t>();
    op.args.reserve(n);
    for (std::uint16_t k = 0; k < n; ++k) op.args.push_back(r.value());
  }
  return ops;
}

std::string encode(const std::vector<Result>& results) {
  std::string out;
  out.reserve(results.size() * 48);
  for (const Result& res : results) {
    put(out, static_cast<std::uint16_t>(res.objects.size()));
    for (const std::string& o : res.objects) putString(out, o);
    putValue(out, res.value);
  }
  return out;
}

std::vector<Result> decodeResults(std::string_view bytes) {
  Reader r(bytes);
  std::vector<Result> results;
  while (!r.done()) {
    Result& res = results.emplace_back();
    const auto n = r.get<std::uint16_t>();
    for (std::uint16_t k = 0; k < n; ++k) res.objects.push_back(r.string());
    res.value = r.value();
  }
  return results;
}

}  // namespace veskar::cad::bus::packed
