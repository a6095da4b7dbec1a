// What the ways of drawing share: where a drawing goes, progress on standard error, and the
// saving and painting of the in-process drawing.
#pragma once

#include <chrono>
#include <optional>
#include <ostream>
#include <string>

#include "cli.h"
#include "platform/files.h"

namespace veskar::cli {

// Progress on standard error, once the drawing has taken a second: rewritten in place on a
// terminal, a line every second otherwise.
class Progress {
 public:
  explicit Progress(std::ostream& err)
      : err_(err), tty_(platform::standardErrorIsTerminal()), start_(std::chrono::steady_clock::now()) {}
  ~Progress() { finish(); }

  void report(const std::string& what) {
    const long long now = std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::steady_clock::now() - start_)
                              .count();
    if (now < 1000 || now - last_ < (tty_ ? 100 : 1000)) return;
    last_ = now;
    shown_ = true;
    err_ << (tty_ ? "\r" : "") << "veskar-cli draw: " << what << (tty_ ? "\x1b[K" : "\n") << std::flush;
  }
  void finish() {
    if (shown_ && tty_) err_ << "\n" << std::flush;
    shown_ = false;
  }

 private:
  std::ostream& err_;
  bool tty_;
  std::chrono::steady_clock::time_point start_;
  long long last_ = -1000000;
  bool shown_ = false;
};

// Where a draw goes.
struct Target {
  std::string dxf, png, progId;
  bool cad = false;
};

// Where to draw; a usage error is told and gives nothing.
std::optional<Target> targetOf(const Parsed& p, const Command& c, const Backends& b, std::ostream& err);

// Saves and paints the in-process drawing; where it went, or nothing after telling why.
std::optional<std::string> writeDrawing(cad::CadDocument& drawing, const Target& t, const Backends& b, Progress& progress,
                                        std::ostream& err);

}  // namespace veskar::cli
