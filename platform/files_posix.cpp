// Files on Linux: POSIX calls, paths as UTF-8 bytes.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"

namespace veskar::platform {
namespace {

std::string describe(int error) { return std::strerror(error); }

std::string directoryOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// A new file beside `path`, named after it, that did not exist before; -1 with errno set.
int createTemporary(const std::string& path, std::string& name) {
  static std::minstd_rand random(static_cast<unsigned>(getpid()) ^ std::random_device{}());
  static const char digits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string suffix;
    for (int k = 0; k < 6; ++k) suffix += digits[random() % 36];
    name = path + "." + suffix + ".tmp";
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

bool isPathSeparator(char c) { return c == '/'; }

std::string applicationDirectory() {
  std::string buf(4096, '\0');
  const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
  if (n <= 0) return ".";
  buf.resize(static_cast<std::size_t>(n));
  return directoryOf(buf);
}

std::string fileName(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool fileExists(const std::string& path) {
  if (path.empty()) return false;
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) return true;
  return errno != ENOENT;
}

std::optional<std::string> readFile(const std::string& path, std::string& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = describe(errno);
    return std::nullopt;
  }
  std::string out;
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = describe(errno);
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    out.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return out;
}

std::optional<std::string> replaceFile(const std::string& path, std::string_view bytes) {
  std::string temporary;
  const int fd = createTemporary(path, temporary);
  if (fd < 0) return describe(errno);
  // A file that is replaced keeps its permissions.
  struct stat st;
  if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::fchmod(fd, st.st_mode & 07777);

  bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
  int error = ok ? 0 : errno;
  if (::close(fd) != 0 && ok) ok = false, error = errno;
  if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) ok = false, error = errno;
  if (!ok) {
    ::unlink(temporary.c_str());
    return describe(error);
  }
  // The rename itself reaches the disk with the directory.
  const int dir = ::open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return std::nullopt;
}

std::vector<std::string> arguments(int argc, char** argv) { return {argv, argv + argc}; }

bool standardErrorIsTerminal() { return ::isatty(STDERR_FILENO) != 0; }

void prepareConsole() {}

}  // namespace veskar::platform
