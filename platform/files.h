// Files as Veskar uses them: paths are UTF-8 (UTF-16 on the way to Windows, so Chinese file
// names work on both systems), the application directory is the one holding the running
// executable, and a file is replaced atomically: written whole beside the target, flushed to
// disk and renamed over it, so that a failure leaves the old file whole and nothing else.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veskar::platform {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Whether `c` separates directories in a path ("/" here, "\" and "/" on Windows).
bool isPathSeparator(char c);

// The directory of the running executable, without a trailing separator (except at a root).
std::string applicationDirectory();

// The last component of `path` (after its last separator).
std::string fileName(std::string_view path);

// False only when the system reports that the file is not found; an empty path is false
// without a look. Any other answer (no permission, a path through a regular file, ...) is true.
bool fileExists(const std::string& path);

// The whole file, or nothing with the system's description in `error`.
std::optional<std::string> readFile(const std::string& path, std::string& error);

// Replaces `path` by `bytes` atomically. Nothing on success, else the system's description
// of the failure; the old file is then as it was, and no temporary file is left.
std::optional<std::string> replaceFile(const std::string& path, std::string_view bytes);

// The program's arguments as UTF-8 (from the wide command line on Windows).
std::vector<std::string> arguments(int argc, char** argv);

// Whether standard error is a terminal (progress is then rewritten in place).
bool standardErrorIsTerminal();

// Lets the console show UTF-8 output (Windows); nothing elsewhere.
void prepareConsole();

}  // namespace veskar::platform
