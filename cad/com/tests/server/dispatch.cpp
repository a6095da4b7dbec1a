// IDispatch by name for the objects of the model: name lookup, the checks every late-bound
// call gets before it reaches a member, the control keys (busy, forced failure, abrupt end) and
// one recording line per call.
#include <map>

#include "recording.h"
#include "testcad.h"

namespace veskar::testcad {
namespace {

enum class Verdict { Go, Reject, Fail, Exit };

// Where an invoke line keeps its outcome: after kind, pid, number, object, member and flags.
constexpr std::size_t kInvokeOutcome = 6;

// What the config makes of call `number`.
Verdict Control(unsigned long number) {
  const Config& config = TheServer().config;
  if (config.rejectMode == RejectMode::Invoke && number <= config.rejectFirst) {
    return Verdict::Reject;
  }
  if (number == config.exitAt) return Verdict::Exit;
  if (number == config.failAt) return Verdict::Fail;
  return Verdict::Go;
}

// A new numbered call: counts it and keeps the server from ending idle.
unsigned long NextCall() {
  Server& server = TheServer();
  server.lastActivity = GetTickCount64();
  return ++server.calls;
}

// exit_at: the line goes out, then the process ends at once, as a crashing program does.
[[noreturn]] void ExitDuringCall(std::vector<std::string>& line, std::size_t outcome) {
  line[outcome] = "exit";
  TheServer().Record(line);
  TerminateProcess(GetCurrentProcess(), 3);
  ExitProcess(3);
}

bool SameName(const wchar_t* a, const wchar_t* b) {
  return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

// The invoke kind the flags ask of `member`, after the checks a type-library dispatch makes.
Access Resolve(const Member& member, WORD flags, const DISPPARAMS& params) {
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    if ((flags & DISPATCH_PROPERTYPUTREF) || !(member.access & kPut)) {
      throw Refusal{DISP_E_MEMBERNOTFOUND};
    }
    if (params.cNamedArgs != 1 || params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
      throw Refusal{DISP_E_PARAMNOTFOUND};
    }
    if (params.cArgs != 1) throw Refusal{DISP_E_BADPARAMCOUNT};
    return kPut;
  }
  if (params.cNamedArgs != 0) throw Refusal{DISP_E_NONAMEDARGS};
  if ((member.access & kMethod) && (flags & DISPATCH_METHOD)) {
    if (params.cArgs != member.params) throw Refusal{DISP_E_BADPARAMCOUNT};
    return kMethod;
  }
  if ((member.access & kGet) && (flags & DISPATCH_PROPERTYGET)) {
    if (params.cArgs != 0) throw Refusal{DISP_E_BADPARAMCOUNT};
    return kGet;
  }
  throw Refusal{DISP_E_MEMBERNOTFOUND};
}

std::string ResultText(const VARIANT& result) {
  if (result.vt == VT_EMPTY) return "S_OK";
  if (result.vt == VT_DISPATCH && result.pdispVal) {
    // Members give only the server's own objects.
    return "S_OK VT_DISPATCH " + static_cast<DispObject*>(result.pdispVal)->Name();
  }
  return "S_OK " + Describe(result);
}

}  // namespace

DispObject::DispObject(const char* kind, std::span<const Member> members) : members_(members) {
  static std::map<std::string, unsigned long> instances;
  name_ = std::string(kind) + "#" + Decimal(++instances[kind]);
}

HRESULT DispObject::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch) {
    *out = static_cast<IDispatch*>(this);
  } else if (iid == IID_IExternalConnection) {
    *out = static_cast<IExternalConnection*>(this);
  } else {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG DispObject::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

ULONG DispObject::Release() {
  LONG refs = InterlockedDecrement(&refs_);
  if (refs == 0) delete this;
  return static_cast<ULONG>(refs);
}

HRESULT DispObject::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT DispObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT DispObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  Server& server = TheServer();
  unsigned long number = NextCall();
  std::vector<std::string> line = server.Line("names", number);
  line.push_back(name_);
  const std::size_t outcome = line.size();
  line.emplace_back();
  for (UINT i = 0; i < count; ++i) line.push_back(Utf8(names[i]));
  HRESULT hr = S_OK;
  switch (Control(number)) {
    case Verdict::Reject:
      hr = server.config.rejectCode;
      break;
    case Verdict::Exit:
      ExitDuringCall(line, outcome);
    case Verdict::Fail:
      hr = E_FAIL;
      break;  // GetIDsOfNames has no way to carry a text
    case Verdict::Go:
      for (UINT i = 0; i < count; ++i) {
        const Member* found = nullptr;
        for (const Member& member : members_) {
          if (i == 0 && SameName(names[i], member.name)) found = &member;
        }
        ids[i] = found ? found->id : DISPID_UNKNOWN;  // no member has named parameters
        if (!found) hr = DISP_E_UNKNOWNNAME;
      }
      break;
  }
  line[outcome] = HresultText(hr);
  server.Record(line);
  return hr;
}

const Member* DispObject::Find(DISPID id) const {
  for (const Member& member : members_) {
    if (member.id == id) return &member;
  }
  return nullptr;
}

HRESULT DispObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                           EXCEPINFO* error, UINT* argErr) {
  Server& server = TheServer();
  unsigned long number = NextCall();
  const Member* member = Find(id);
  std::vector<std::string> line = server.Line("invoke", number);
  line.push_back(name_);
  line.push_back(member ? Utf8(member->name) : "#" + std::to_string(id));
  line.push_back(FlagsText(flags));
  const std::size_t outcome = kInvokeOutcome;
  line.emplace_back();
  for (UINT i = params ? params->cArgs : 0; i-- > 0;) line.push_back(Describe(params->rgvarg[i]));
  Verdict verdict = Control(number);
  Sleep(server.config.callDelayMs + (number == server.config.pauseAt ? server.config.pauseMs : 0));
  if (verdict == Verdict::Exit) ExitDuringCall(line, outcome);
  if (verdict == Verdict::Reject) {
    line[outcome] = HresultText(server.config.rejectCode);
    server.Record(line);
    return server.config.rejectCode;
  }
  try {
    if (verdict == Verdict::Fail) {
      throw Refusal{
          DISP_E_EXCEPTION, fault::kForced.scode,
          std::wstring(fault::kForced.text) + L": call " + std::to_wstring(number) + L" (fail_at)"};
    }
    if (!member) throw Refusal{DISP_E_MEMBERNOTFOUND};
    if (!params) throw Refusal{E_INVALIDARG};
    Access how = Resolve(*member, flags, *params);
    VARIANT value;
    VariantInit(&value);
    Call(*member, how, Args(*params), &value);
    line[outcome] = ResultText(value);
    if (result)
      *result = value;
    else
      VariantClear(&value);
  } catch (const Refusal& refusal) {
    return Fail(refusal, error, argErr, line);
  }
  server.Record(line);
  return S_OK;
}

HRESULT DispObject::Fail(const Refusal& refusal, EXCEPINFO* error, UINT* argErr,
                         std::vector<std::string>& line) const {
  std::string& outcome = line[kInvokeOutcome];
  outcome = HresultText(refusal.hr);
  if (refusal.hr == DISP_E_EXCEPTION) {
    std::u16string text(refusal.text.begin(), refusal.text.end());
    outcome += " " + HresultText(refusal.scode) + " " + recording::Quote(text);
    if (error) {
      *error = EXCEPINFO{};
      error->bstrSource = SysAllocString(TheServer().progId.c_str());
      error->bstrDescription = SysAllocString(refusal.text.c_str());
      error->scode = refusal.scode;
    }
  } else if (refusal.hr == DISP_E_TYPEMISMATCH) {
    outcome += " " + Decimal(refusal.argErr);
    if (argErr) *argErr = refusal.argErr;
  }
  TheServer().Record(line);
  return refusal.hr;
}

DWORD DispObject::AddConnection(DWORD type, DWORD) {
  TheServer().Connect((type & EXTCONN_STRONG) != 0, true);
  return 0;
}

DWORD DispObject::ReleaseConnection(DWORD type, DWORD, BOOL) {
  TheServer().Connect((type & EXTCONN_STRONG) != 0, false);
  return 0;
}

}  // namespace veskar::testcad
