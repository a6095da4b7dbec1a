// What the tests share on both systems: scratch folders, file bytes, environment variables
// for a scope, and running a program as a user runs it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace veskar::testing {

// A new empty folder, removed with everything in it at the end of the scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  // `name` (which may hold "/") inside the folder.
  std::string file(std::string_view name) const;

 private:
  std::string path_;
};

// The file's bytes, or "<unreadable>".
std::string readBytes(const std::string& path);
bool writeBytes(const std::string& path, std::string_view bytes);
bool makeDirectory(const std::string& path);
// Every entry of `dir` (hidden ones too), sorted; "." and ".." left out.
std::vector<std::string> entries(const std::string& dir);

// Sets (or, with nothing, removes) an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// Standard output and error are read as text: on Windows, where programs end their lines with
// CR LF, as LF, the way a C program reads a text file.
struct ProcessResult {
  int status = -1;  // the exit status; -1 when it did not end normally in time
  std::string out, err;
};

// Runs `program` with `args`, feeding `input` to its standard input, with `env` added to the
// environment, in `workDir` (empty: the current one). At most `timeoutMs`.
ProcessResult run(const std::string& program, const std::vector<std::string>& args,
                  std::string_view input = {},
                  const std::vector<std::pair<std::string, std::string>>& env = {},
                  const std::string& workDir = {}, int timeoutMs = 60000);

}  // namespace veskar::testing
