// LoadSettings on arbitrary file contents. It must never crash or hang, must give either the
// whole record from the file or the read-failure defaults, never a box state outside 0 to 2,
// and whatever it read whole must come back unchanged through SaveSettings and LoadSettings.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "settings/settings.h"

namespace {

std::string dir;

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "LoadSettings: %s\n", what);
  std::abort();
}

bool same(const veskar::settings::SettingsRecord& a, const veskar::settings::SettingsRecord& b) {
  return a.texts == b.texts && a.boxState == b.boxState;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("LC_ALL", "C.UTF-8", 1);
  // In memory where there is /dev/shm: the target writes a file per input.
  std::string pattern = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  pattern += "/veskar-fuzz-settings-XXXXXX";
  const char* made = mkdtemp(pattern.data());
  if (!made) fail("no scratch directory");
  dir = made;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace veskar::settings;
  const std::string path = AppFilePath(dir, "vesk.ini");
  {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) fail("cannot write the input");
    if (size > 0 && std::fwrite(data, 1, size, f) != size) fail("cannot write the input");
    std::fclose(f);
  }
  const SettingsRecord r = LoadSettings(dir);
  if (!r.boxState) {
    if (!same(r, readFailureDefaults())) fail("neither the file nor the read-failure defaults");
    return 0;
  }
  if (*r.boxState < 0 || *r.boxState > 2) fail("box state outside 0 to 2");
  // A record read whole saves and loads back as it was.
  if (!SaveSettings(dir, r).ok) fail("cannot save what was loaded");
  if (!same(LoadSettings(dir), r)) fail("what was loaded does not come back through a save");
  return 0;
}
