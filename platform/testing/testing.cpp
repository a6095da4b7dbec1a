// The portable half of the test support: folders and files through std::filesystem.
#include "platform/testing/testing.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace veskar::testing {
namespace {

namespace fs = std::filesystem;

fs::path pathOf(std::string_view utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string utf8Of(const fs::path& p) {
  const std::u8string s = p.u8string();
  return std::string(s.begin(), s.end());
}

}  // namespace

TempDir::TempDir() {
  std::random_device seed;
  std::mt19937_64 random(seed());
  const fs::path base = fs::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::ostringstream name;
    name << "veskar-test-" << std::hex << random();
    const fs::path p = base / name.str();
    std::error_code ec;
    if (fs::create_directory(p, ec)) {
      path_ = utf8Of(p);
      return;
    }
  }
  throw std::runtime_error("no scratch folder could be made in " + utf8Of(base));
}

TempDir::~TempDir() {
  std::error_code ec;
  // Folders a test made read-only are opened again first.
  for (auto it = fs::recursive_directory_iterator(pathOf(path_), ec); !ec && it != fs::end(it); it.increment(ec)) {
    if (it->is_directory(ec)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::permissions(pathOf(path_), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(pathOf(path_), ec);
}

std::string TempDir::file(std::string_view name) const { return utf8Of(pathOf(path_) / pathOf(name)); }

std::string readBytes(const std::string& path) {
  std::ifstream f(pathOf(path), std::ios::binary);
  if (!f) return "<unreadable>";
  std::ostringstream out;
  out << f.rdbuf();
  return out.str();
}

bool writeBytes(const std::string& path, std::string_view bytes) {
  std::ofstream f(pathOf(path), std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(f.flush());
}

bool makeDirectory(const std::string& path) {
  std::error_code ec;
  return fs::create_directory(pathOf(path), ec);
}

std::vector<std::string> entries(const std::string& dir) {
  std::vector<std::string> out;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(pathOf(dir), ec)) out.push_back(utf8Of(e.path().filename()));
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace veskar::testing
