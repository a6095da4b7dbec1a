// LoadSheetSettings on arbitrary file contents. It must never crash or hang, must give values
// without line ends, and whatever it read must come back unchanged through SaveSheetSettings and
// LoadSheetSettings.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "settings/sheet_settings.h"

namespace {

std::string dir;

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "LoadSheetSettings: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("LC_ALL", "C.UTF-8", 1);
  std::string pattern = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  pattern += "/veskar-fuzz-sheet-settings-XXXXXX";
  const char* made = mkdtemp(pattern.data());
  if (!made) fail("no scratch directory");
  dir = made;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace veskar::settings;
  const std::string path = AppFilePath(dir, kSheetSettingsFile);
  {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) fail("cannot write the input");
    if (size > 0 && std::fwrite(data, 1, size, f) != size) fail("cannot write the input");
    std::fclose(f);
  }
  const SheetSettings s = LoadSheetSettings(dir);
  for (const std::string& v : s.values) {
    if (v.find_first_of("\r\n") != std::string::npos) fail("a value holds a line end");
  }
  if (!SaveSheetSettings(dir, s).ok) fail("cannot save what was loaded");
  if (LoadSheetSettings(dir).values != s.values) fail("what was loaded does not come back through a save");
  return 0;
}
