// The test CAD server's parts, shared by its source files. See server.cpp for what the server
// is and recording.h for what it records.
#pragma once

#include <windows.h>
// After windows.h:
#include <ole2.h>
#include <oleauto.h>

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace veskar::testcad {

// The one drawing the server has open (unless no_document=1).
inline constexpr wchar_t kDrawingName[] = L"Drawing1.dwg";
// Posted to the window when the last strong external connection has gone.
inline constexpr UINT kLastClientMessage = WM_APP + 1;

// ---- Settings (config.cpp) ----

enum class RejectMode {
  Invoke,          // Invoke and GetIDsOfNames return Config::rejectCode
  Filter,          // the message filter answers SERVERCALL_RETRYLATER
  FilterRejected,  // the message filter answers SERVERCALL_REJECTED
};

struct Config {
  std::wstring record;  // the recording file; empty: nothing is recorded
  unsigned long rejectFirst = 0;
  RejectMode rejectMode = RejectMode::Invoke;
  HRESULT rejectCode = RPC_E_SERVERCALL_RETRYLATER;
  bool noDocument = false;
  unsigned long failAt = 0;  // 0: never
  unsigned long exitAt = 0;  // 0: never
  unsigned long idleSeconds = 60;
  unsigned long rotDelayMs = 0;  // 0: in the running-object table at once
  unsigned long callDelayMs = 0;
  unsigned long pauseAt = 0;  // 0: never
  unsigned long pauseMs = 3000;
  RECT window{CW_USEDEFAULT, CW_USEDEFAULT, 640, 480};  // left, top, width, height
};

// Reads the key=value file at `path`. False with `error` set for a line it does not understand.
bool LoadConfig(const std::wstring& path, Config& config, std::wstring& error);

// ---- Registration (registry.cpp) ----

// The class id the server uses for a ProgID: derived from the ProgID alone, case-insensitively.
CLSID ClassIdOf(std::wstring_view progId);
std::wstring GuidText(const GUID& guid);
HRESULT RegisterProgId(const std::wstring& progId, const std::wstring& exe,
                       const std::wstring& config);
HRESULT UnregisterProgId(const std::wstring& progId);

// ---- Recording (record.cpp) ----

class Recorder {
 public:
  ~Recorder();
  bool Open(const std::wstring& path);
  // One line: the fields joined by tabs, written with one WriteFile.
  void Write(const std::vector<std::string>& fields);

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
};

std::string Utf8(std::wstring_view text);
std::string Describe(const VARIANT& value);  // "TYPE VALUE" as recording.h lays down
std::string FlagsText(WORD flags);
std::string HresultText(HRESULT hr);
std::string Decimal(unsigned long value);

// ---- The process (server.cpp) ----

struct Server {
  std::wstring progId;
  bool byCom = false;
  CLSID clsid{};
  std::wstring configPath;
  Config config;
  Recorder recorder;
  std::string pid;
  HWND window = nullptr;
  unsigned long calls = 0;     // calls numbered so far
  unsigned long filtered = 0;  // calls the message filter turned away
  long connections = 0;        // strong external connections of all objects
  ULONGLONG lastActivity = 0;

  // A recording line's first three fields.
  std::vector<std::string> Line(const char* kind, unsigned long number) const;
  void Record(std::vector<std::string> fields) { recorder.Write(fields); }
  void Connect(bool strong, bool add);
};
Server& TheServer();

// ---- Refusals and arguments (args.cpp) ----

// An Invoke that fails. hr DISP_E_EXCEPTION carries scode and text in EXCEPINFO;
// DISP_E_TYPEMISMATCH carries argErr.
struct Refusal {
  explicit Refusal(HRESULT hr, HRESULT scode = S_OK, std::wstring text = {}, UINT argErr = 0)
      : hr(hr), scode(scode), text(std::move(text)), argErr(argErr) {}
  HRESULT hr;
  HRESULT scode = S_OK;
  std::wstring text;
  UINT argErr = 0;
};

// The errors the object model gives, with AutoCAD's codes where they are known.
struct Fault {
  HRESULT scode;
  const wchar_t* text;
};
namespace fault {
// As AutoCAD reports them.
inline constexpr Fault kElements{static_cast<HRESULT>(0x80210010),
                                 L"Invalid number of elements in SafeArray"};
inline constexpr Fault kNoDocument{static_cast<HRESULT>(0x8021003C),
                                   L"Cannot get Document object: no drawing is open"};
// Chosen here, in AutoCAD's range of codes.
inline constexpr Fault kDimensions{static_cast<HRESULT>(0x80210011),
                                   L"Invalid number of dimensions in SafeArray"};
inline constexpr Fault kInput{static_cast<HRESULT>(0x80210020), L"Invalid input"};
inline constexpr Fault kKey{static_cast<HRESULT>(0x80210030), L"Key not found"};
inline constexpr Fault kNotApplicable{static_cast<HRESULT>(0x80210040), L"Not applicable"};
// fail_at: the forced failure of one call.
inline constexpr Fault kForced{E_FAIL, L"Test server: call failed as configured"};
}  // namespace fault

// Throws the fault as a DISP_E_EXCEPTION; a detail is appended after ": ".
[[noreturn]] void Refuse(const Fault& fault, const std::wstring& detail = {});

// The arguments of one Invoke in the caller's order, converted the way the automation's
// type-library dispatch converts them (VariantChangeType), or checked as AutoCAD checks arrays.
class Args {
 public:
  explicit Args(const DISPPARAMS& params) : params_(params) {}
  std::size_t size() const { return params_.cArgs; }
  std::wstring Text(std::size_t i) const;
  double Number(std::size_t i) const;
  long Integer(std::size_t i) const;
  bool Boolean(std::size_t i) const;
  // VT_ARRAY|VT_R8 of one dimension (directly, by reference or in a referenced variant).
  std::vector<double> Point(std::size_t i) const;     // exactly 3 elements
  std::vector<double> Vertices(std::size_t i) const;  // an even count, at least 4

 private:
  // The automation functions take non-const pointers but leave the source alone.
  VARIANT* At(std::size_t i) const { return &params_.rgvarg[params_.cArgs - 1 - i]; }
  UINT Slot(std::size_t i) const { return static_cast<UINT>(params_.cArgs - 1 - i); }
  VARIANT Coerce(std::size_t i, VARTYPE type) const;
  std::vector<double> Doubles(std::size_t i, bool (*countOk)(ULONG)) const;
  const DISPPARAMS& params_;
};

void SetNumber(VARIANT* result, double value);
void SetInteger(VARIANT* result, long value);
void SetBoolean(VARIANT* result, bool value);
void SetText(VARIANT* result, const std::wstring& value);
void SetObject(VARIANT* result, IDispatch* object);
void SetDoubles(VARIANT* result, const std::vector<double>& values);

// ---- Late-bound objects (dispatch.cpp) ----

enum Access : unsigned { kGet = 1, kPut = 2, kMethod = 4 };

struct Member {
  const wchar_t* name;
  DISPID id;
  unsigned access;  // Access bits
  unsigned params;  // a method's parameter count
};

// IDispatch by name for one object of the model; counts its external connections so that the
// server knows when the last client has gone.
class DispObject : public IDispatch, public IExternalConnection {
 public:
  DispObject(const char* kind, std::span<const Member> members);
  virtual ~DispObject() = default;
  const std::string& Name() const { return name_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* error, UINT* argErr) override;
  DWORD STDMETHODCALLTYPE AddConnection(DWORD type, DWORD) override;
  DWORD STDMETHODCALLTYPE ReleaseConnection(DWORD type, DWORD, BOOL) override;

 protected:
  // Runs a member; `how` is kGet, kPut or kMethod. Throws Refusal.
  virtual void Call(const Member& member, Access how, const Args& args, VARIANT* result) = 0;

 private:
  const Member* Find(DISPID id) const;
  HRESULT Fail(const Refusal& refusal, EXCEPINFO* error, UINT* argErr,
               std::vector<std::string>& line) const;
  LONG refs_ = 1;
  std::string name_;
  std::span<const Member> members_;
};

// ---- The object model (objects.cpp) ----

// The process's Application object, with one reference for the caller.
DispObject* NewApplication();

}  // namespace veskar::testcad
