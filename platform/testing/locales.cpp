#include "platform/testing/locales.h"

#include <clocale>

// glibc's newlocale keeps the list it builds from LOCPATH (36 bytes per call), which these
// locales set. Not Veskar's memory.
extern "C" const char* __lsan_default_suppressions() { return "leak:argz_add_sep\n"; }

namespace veskar::testing {

CompiledLocale::CompiledLocale(const std::string& input, const std::string& charmap)
    : name_(input + "." + charmap) {
  const ProcessResult r = run("/usr/bin/localedef", {"-i", input, "-f", charmap, dir_.file(name_)});
  built_ = readBytes(dir_.file(name_ + "/LC_CTYPE")) != "<unreadable>";
  if (!built_) error_ = "localedef could not build " + name_ + ": " + r.err;
  locpath_ = std::make_unique<ScopedEnv>("LOCPATH", dir_.path());
}

CommaLocale::CommaLocale() : locale_("de_DE", "UTF-8") {
  const char* old = std::setlocale(LC_ALL, nullptr);
  saved_ = old ? old : "C";
  active_ = locale_.built() && std::setlocale(LC_ALL, locale_.name().c_str()) != nullptr &&
            *std::localeconv()->decimal_point == ',';
}

CommaLocale::~CommaLocale() { std::setlocale(LC_ALL, saved_.c_str()); }

}  // namespace veskar::testing
