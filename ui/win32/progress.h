// How far a long Draw has got: once the command has run longer than
// graticule::kProgressAfterMs, a small window over the window that draws (Form1 or the sheet
// window) with its title (graticule::kProgressTitle, or the sheet window's) and
// graticule::progressText(done, total), repainted at most every kProgressEveryMs.
#pragma once

#include <windows.h>

#include <cstddef>

#include "graticule/draw_messages.h"

namespace veskar::ui::win32 {

inline constexpr const wchar_t* kProgressClass = L"VeskarProgress";
inline constexpr ULONGLONG kProgressEveryMs = 100;
// The line of text, an id for tools and tests.
inline constexpr int kProgressTextId = 100;

class DrawProgress {
 public:
  // Starts the clock; `owner` is the window that draws, disabled by the caller while the
  // command runs.
  explicit DrawProgress(HWND owner, const char* title = graticule::kProgressTitle);
  ~DrawProgress();  // closes the window
  DrawProgress(const DrawProgress&) = delete;
  DrawProgress& operator=(const DrawProgress&) = delete;

  // Called after every entity. At most every kProgressEveryMs it shows the count (once the
  // command has run long enough) and hands on the waiting messages: the windows are painted,
  // and input for the disabled Form1 is thrown away while the command runs, not queued for
  // after it.
  void operator()(std::size_t done, std::size_t total);

 private:
  void show();

  HWND owner_;
  const char* title_;
  HWND window_ = nullptr;
  HWND text_ = nullptr;
  HFONT font_ = nullptr;
  ULONGLONG start_;
  ULONGLONG lastPump_;
};

}  // namespace veskar::ui::win32
