// The config file: UTF-8 text, one key=value a line; blank lines and lines starting with #
// are skipped, blanks around keys and values are ignored.
//
//   record=PATH          the recording file (appended to; created when missing)
//   reject_first=N       the first N calls are turned away as busy
//   reject_mode=MODE     invoke (default): Invoke/GetIDsOfNames return reject_code;
//                        filter: the message filter answers SERVERCALL_RETRYLATER;
//                        filter_rejected: it answers SERVERCALL_REJECTED (both for
//                        IDispatch calls only; each turned-away call gets a number).
//                        Wine 8 lets a call that the filter answers SERVERCALL_RETRYLATER
//                        through, and fails one answered SERVERCALL_REJECTED at once with
//                        RPC_E_CALL_REJECTED; it never calls the client's RetryRejectedCall.
//                        Hence invoke, which works the same everywhere.
//   reject_code=HRESULT  for reject_mode=invoke: 0x8001010A (default,
//                        RPC_E_SERVERCALL_RETRYLATER) or 0x80010001 (RPC_E_CALL_REJECTED)
//   no_document=1        no drawing is open: ActiveDocument fails
//   fail_at=K            call K fails with DISP_E_EXCEPTION and a description naming K
//   exit_at=K            the process ends abruptly during call K
//   idle_seconds=S       the server ends after S seconds without calls (default 60)
//   rot_delay_ms=M       started by COM, it enters the running-object table only M ms after
//                        its class object is registered, as a CAD program that is slow to
//                        start does
//   call_delay_ms=D      every Invoke answers D ms late, as a slow CAD program's calls do
//   pause_at=K           call K (an Invoke) answers pause_ms late (default 3000), once
//   pause_ms=M
//   window=X,Y,W,H       the main window's place and size in pixels (default: the system's
//                        place, 640 x 480), so that it stays clear of other windows
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "testcad.h"

namespace veskar::testcad {
namespace {

std::wstring Wide(const std::string& utf8) {
  int size =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring text(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), size);
  return text;
}

std::string Trim(const std::string& text) {
  std::size_t first = text.find_first_not_of(" \t\r");
  std::size_t last = text.find_last_not_of(" \t\r");
  return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

bool Unsigned(const std::string& text, unsigned long& value) {
  char* end = nullptr;
  value = std::strtoul(text.c_str(), &end, 0);
  return !text.empty() && text[0] != '-' && *end == '\0';
}

bool Apply(const std::string& key, const std::string& value, Config& config) {
  unsigned long number = 0;
  if (key == "record") {
    config.record = Wide(value);
    return !value.empty();
  }
  if (key == "reject_mode") {
    if (value == "invoke")
      config.rejectMode = RejectMode::Invoke;
    else if (value == "filter")
      config.rejectMode = RejectMode::Filter;
    else if (value == "filter_rejected")
      config.rejectMode = RejectMode::FilterRejected;
    else
      return false;
    return true;
  }
  if (key == "window") {
    RECT& r = config.window;
    int used = 0;
    return std::sscanf(value.c_str(), "%ld,%ld,%ld,%ld%n", &r.left, &r.top, &r.right, &r.bottom,
                       &used) == 4 &&
           static_cast<std::size_t>(used) == value.size() && r.right > 0 && r.bottom > 0;
  }
  if (!Unsigned(value, number)) return false;
  if (key == "reject_first")
    config.rejectFirst = number;
  else if (key == "reject_code")
    config.rejectCode = static_cast<HRESULT>(number);
  else if (key == "no_document")
    config.noDocument = number != 0;
  else if (key == "fail_at")
    config.failAt = number;
  else if (key == "exit_at")
    config.exitAt = number;
  else if (key == "idle_seconds")
    config.idleSeconds = number;
  else if (key == "rot_delay_ms")
    config.rotDelayMs = number;
  else if (key == "call_delay_ms")
    config.callDelayMs = number;
  else if (key == "pause_at")
    config.pauseAt = number;
  else if (key == "pause_ms")
    config.pauseMs = number;
  else
    return false;
  return key != "reject_code" || config.rejectCode == RPC_E_SERVERCALL_RETRYLATER ||
         config.rejectCode == RPC_E_CALL_REJECTED;
}

}  // namespace

bool LoadConfig(const std::wstring& path, Config& config, std::wstring& error) {
  std::ifstream in(path.c_str());
  if (!in) {
    error = L"cannot read the config file " + path;
    return false;
  }
  std::string raw;
  for (int number = 1; std::getline(in, raw); ++number) {
    std::string line = Trim(raw);
    if (line.empty() || line[0] == '#') continue;
    std::size_t equals = line.find('=');
    if (equals == std::string::npos ||
        !Apply(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)), config)) {
      error = path + L":" + std::to_wstring(number) + L": not understood: " + Wide(line);
      return false;
    }
  }
  return true;
}

}  // namespace veskar::testcad
