#include "platform/testing/as_nobody.h"

#include <sys/wait.h>
#include <unistd.h>

namespace veskar::testing {

std::optional<std::string> asNobody(const std::function<std::string()>& piece) {
  if (geteuid() != 0) return piece();
  int fds[2];
  if (pipe(fds) != 0) return std::nullopt;
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    std::string report = "\x01";  // could not become nobody
    if (setgid(65534) == 0 && setuid(65534) == 0) report = "\x02" + piece();
    const char* p = report.data();
    for (std::size_t left = report.size(); left > 0;) {
      const ssize_t n = write(fds[1], p, left);
      if (n <= 0) break;
      p += n;
      left -= static_cast<std::size_t>(n);
    }
    _exit(0);
  }
  close(fds[1]);
  std::string report;
  char buf[4096];
  for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) report.append(buf, static_cast<std::size_t>(n));
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (report.empty() || report[0] != '\x02') return std::nullopt;
  return report.substr(1);
}

}  // namespace veskar::testing
