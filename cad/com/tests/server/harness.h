// Running the test CAD server from a test: where it is, starting it, registering it, waiting
// for it to end. The server is veskar_testcad.exe in the calling program's own folder.
#pragma once

#include <windows.h>

#include <string>

namespace veskar::testcad::harness {

inline std::wstring Folder() {
  wchar_t path[MAX_PATH];
  DWORD size = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring text(path, size);
  return text.substr(0, text.find_last_of(L"\\/") + 1);
}

inline std::string Narrow(const std::wstring& text, UINT codePage = CP_ACP) {
  int size = WideCharToMultiByte(codePage, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(codePage, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
  out.resize(out.size() - 1);
  return out;
}

// Starts the server with `arguments`; its process handle, or nullptr.
inline HANDLE StartServer(const std::wstring& arguments) {
  std::wstring command = L"\"" + Folder() + L"veskar_testcad.exe\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return nullptr;
  }
  CloseHandle(process.hThread);
  return process.hProcess;
}

// The exit code of a process that ends within `ms`, or -1; closes the handle.
inline long Ended(HANDLE process, DWORD ms) {
  DWORD code = 0;
  bool ended = process && WaitForSingleObject(process, ms) == WAIT_OBJECT_0 &&
               GetExitCodeProcess(process, &code);
  if (process) CloseHandle(process);
  return ended ? static_cast<long>(code) : -1;
}

// Registers the server under `progId`, started by COM with the config file `config`.
inline bool Register(const std::wstring& progId, const std::wstring& config) {
  return Ended(StartServer(L"/register " + progId + L" /config \"" + config + L"\""), 10000) == 0;
}

inline bool Unregister(const std::wstring& progId) {
  return Ended(StartServer(L"/unregister " + progId), 10000) == 0;
}

}  // namespace veskar::testcad::harness
