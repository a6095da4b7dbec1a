// Test support on Windows: environment variables and child processes, through the wide API.
#include <windows.h>

#include <cstdlib>
#include <map>
#include <thread>

#include "platform/testing/testing.h"
#include "platform/text.h"

namespace veskar::testing {
namespace {

std::wstring wide(std::string_view s) {
  const std::u16string w = platform::utf8ToUtf16(s);
  return std::wstring(w.begin(), w.end());
}

// One argument quoted the way CommandLineToArgvW reads it back.
std::wstring quoted(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(2 * backslashes, L'\\');
  return out + L"\"";
}

// The current environment with `env` added, as a block for CreateProcessW.
std::wstring environmentBlock(const std::vector<std::pair<std::string, std::string>>& env) {
  std::map<std::wstring, std::wstring> vars;
  wchar_t* block = GetEnvironmentStringsW();
  for (const wchar_t* p = block; *p; p += wcslen(p) + 1) {
    const std::wstring entry = p;
    const std::size_t eq = entry.find(L'=', 1);
    if (eq != std::wstring::npos) vars[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  FreeEnvironmentStringsW(block);
  for (const auto& [k, v] : env) vars[wide(k)] = wide(v);
  std::wstring out;
  for (const auto& [k, v] : vars) out += k + L"=" + v + L'\0';
  return out + L'\0';
}

void drain(HANDLE h, std::string& into) {
  char buf[65536];
  DWORD n = 0;
  while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) into.append(buf, n);
  std::string text;
  for (std::size_t i = 0; i < into.size(); ++i) {
    if (!(into[i] == '\r' && i + 1 < into.size() && into[i + 1] == '\n')) text += into[i];
  }
  into.swap(text);
}

}  // namespace

ScopedEnv::ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
  if (const char* old = std::getenv(name)) old_ = old;
  _putenv_s(name, value ? value->c_str() : "");
}

ScopedEnv::~ScopedEnv() { _putenv_s(name_.c_str(), old_ ? old_->c_str() : ""); }

ProcessResult run(const std::string& program, const std::vector<std::string>& args, std::string_view input,
                  const std::vector<std::pair<std::string, std::string>>& env, const std::string& workDir,
                  int timeoutMs) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE inRead, inWrite, outRead, outWrite, errRead, errWrite;
  if (!CreatePipe(&inRead, &inWrite, &inherit, 0) || !CreatePipe(&outRead, &outWrite, &inherit, 0) ||
      !CreatePipe(&errRead, &errWrite, &inherit, 0))
    return {};
  for (HANDLE h : {inWrite, outRead, errRead}) SetHandleInformation(h, HANDLE_FLAG_INHERIT, 0);

  std::wstring commandLine = quoted(wide(program));
  for (const std::string& a : args) commandLine += L" " + quoted(wide(a));
  std::wstring block = environmentBlock(env);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = inRead;
  si.hStdOutput = outWrite;
  si.hStdError = errWrite;
  PROCESS_INFORMATION pi{};
  const std::wstring dir = wide(workDir);
  const BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                      CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, block.data(),
                                      workDir.empty() ? nullptr : dir.c_str(), &si, &pi);
  CloseHandle(inRead);
  CloseHandle(outWrite);
  CloseHandle(errWrite);
  ProcessResult r;
  if (!started) {
    for (HANDLE h : {inWrite, outRead, errRead}) CloseHandle(h);
    return r;
  }
  std::thread feeder([&] {
    DWORD n = 0;
    if (!input.empty()) WriteFile(inWrite, input.data(), static_cast<DWORD>(input.size()), &n, nullptr);
    CloseHandle(inWrite);
  });
  std::thread outReader([&] { drain(outRead, r.out); });
  std::thread errReader([&] { drain(errRead, r.err); });
  const bool ended = WaitForSingleObject(pi.hProcess, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(pi.hProcess, 1);
  feeder.join();
  outReader.join();
  errReader.join();
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  r.status = ended ? static_cast<int>(code) : -1;
  for (HANDLE h : {pi.hProcess, pi.hThread, outRead, errRead}) CloseHandle(h);
  return r;
}

}  // namespace veskar::testing
