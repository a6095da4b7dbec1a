// Locales compiled with localedef into a scratch folder (Linux), so that tests need not rely
// on the locales a machine has installed. A fresh machine has none but C and C.UTF-8.
#pragma once

#include <memory>
#include <string>

#include "platform/testing/testing.h"

namespace veskar::testing {

// The locale `input` in `charmap` (de_DE and UTF-8 give "de_DE.UTF-8"), found through LOCPATH
// while the object lives. built() tells whether localedef made it, error() why not.
class CompiledLocale {
 public:
  CompiledLocale(const std::string& input, const std::string& charmap);
  bool built() const { return built_; }
  const std::string& name() const { return name_; }
  const std::string& folder() const { return dir_.path(); }
  const std::string& error() const { return error_; }

 private:
  TempDir dir_;
  std::string name_;
  bool built_ = false;
  std::string error_;
  std::unique_ptr<ScopedEnv> locpath_;
};

// This process in a German locale, whose decimal point is a comma, for one scope (LC_ALL of
// the C library). active() tells whether the switch worked and the decimal point is ",".
class CommaLocale {
 public:
  CommaLocale();
  ~CommaLocale();
  CommaLocale(const CommaLocale&) = delete;
  CommaLocale& operator=(const CommaLocale&) = delete;
  bool active() const { return active_; }
  const CompiledLocale& locale() const { return locale_; }

 private:
  CompiledLocale locale_;
  std::string saved_;
  bool active_ = false;
};

}  // namespace veskar::testing
