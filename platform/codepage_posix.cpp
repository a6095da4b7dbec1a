// Code pages on Linux: iconv, and the user's locale for the system code page.
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include "platform/codepage_native.h"
#include "platform/text.h"

namespace veskar::platform {
namespace {

// One iconv conversion, open for the life of the thread (opening costs more than converting
// a label).
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  enum class Stop { Done, Invalid };
  // Converts from `in` until the end or the first byte sequence it cannot convert; `in` then
  // starts there.
  Stop run(std::string_view& in, std::string& out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char buf[1024];
    while (!in.empty()) {
      char* src = const_cast<char*>(in.data());
      std::size_t srcLeft = in.size();
      char* dst = buf;
      std::size_t dstLeft = sizeof buf;
      const std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      const int error = errno;
      out.append(buf, static_cast<std::size_t>(dst - buf));
      in.remove_prefix(in.size() - srcLeft);
      if (r == static_cast<std::size_t>(-1) && error != E2BIG) return Stop::Invalid;
    }
    return Stop::Done;
  }

 private:
  iconv_t cd_;
};

// The locale's codeset, looked up afresh each time (from LC_ALL, LC_CTYPE, LANG): a zh_CN.GBK
// user gets "GBK". The plain "C" locale (ASCII) and an unknown locale count as UTF-8.
std::string localeCodeset() {
  std::string name = "UTF-8";
  if (locale_t loc = newlocale(LC_CTYPE_MASK, "", locale_t(nullptr))) {
    const char* codeset = nl_langinfo_l(CODESET, loc);
    if (codeset && *codeset && std::strcmp(codeset, "ANSI_X3.4-1968") != 0) name = codeset;
    freelocale(loc);
  }
  return name;
}

bool isUtf8(const std::string& codeset) { return codeset == "UTF-8" || codeset == "utf8"; }

// UTF-8 to `codeset`; a character it cannot hold becomes `replacement` (or stops everything
// when there is none).
std::optional<std::string> encode(Converter& c, std::string_view utf8, const char* replacement) {
  const std::string valid = validUtf8(utf8);
  std::string_view in = valid;
  std::string out;
  while (c.run(in, out) == Converter::Stop::Invalid) {
    if (!replacement) return std::nullopt;
    out += replacement;
    std::size_t skip = 1;  // the whole character
    while (skip < in.size() && (static_cast<unsigned char>(in[skip]) & 0xC0) == 0x80) ++skip;
    in.remove_prefix(skip);
  }
  return out;
}

std::string decode(Converter& c, std::string_view bytes) {
  std::string out;
  while (c.run(bytes, out) == Converter::Stop::Invalid) {
    out += "\xEF\xBF\xBD";  // U+FFFD for one byte
    bytes.remove_prefix(1);
  }
  return out;
}

}  // namespace

std::string systemCodePageName() { return localeCodeset(); }

std::string toSystemCodePage(std::string_view utf8) {
  const std::string codeset = localeCodeset();
  if (isUtf8(codeset)) return validUtf8(utf8);
  Converter c(codeset.c_str(), "UTF-8");
  if (!c.ok()) return validUtf8(utf8);
  return *encode(c, utf8, "?");
}

std::string fromSystemCodePage(std::string_view bytes) {
  const std::string codeset = localeCodeset();
  if (isUtf8(codeset)) return validUtf8(bytes);
  Converter c("UTF-8", codeset.c_str());
  if (!c.ok()) return validUtf8(bytes);
  return decode(c, bytes);
}

std::optional<std::string> convertToCodePage936(std::string_view utf8) {
  thread_local Converter c("CP936", "UTF-8");
  return encode(c, utf8, nullptr);
}

std::string fromCodePage936(std::string_view bytes) {
  thread_local Converter c("UTF-8", "CP936");
  return decode(c, bytes);
}

}  // namespace veskar::platform
