#include "cad/com/dispatch.h"

#include <cstdio>
#include <map>
#include <utility>

#include "platform/text.h"

namespace veskar::cad::com {
namespace {

std::wstring wide(std::string_view utf8) {
  const std::u16string w = platform::utf8ToUtf16(utf8);
  return std::wstring(w.begin(), w.end());
}

std::string narrow(const wchar_t* w, std::size_t n) {
  return platform::utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(w), n));
}

std::string narrow(BSTR b) { return b ? narrow(b, SysStringLen(b)) : std::string(); }

bool busy(HRESULT hr) { return hr == RPC_E_CALL_REJECTED || hr == RPC_E_SERVERCALL_RETRYLATER; }

// Calls `attempt` until it is not turned away as busy, or a minute has passed.
template <typename F>
HRESULT retried(F attempt) {
  const ULONGLONG deadline = GetTickCount64() + kRetryForMs;
  for (;;) {
    const HRESULT hr = attempt();
    if (!busy(hr) || GetTickCount64() >= deadline) return hr;
    Sleep(kRetryEveryMs);
  }
}

SAFEARRAY* doubles(const std::vector<double>& values) {
  SAFEARRAY* a = SafeArrayCreateVector(VT_R8, 0, static_cast<ULONG>(values.size()));
  if (!a) throw CadError(E_OUTOFMEMORY, describe(E_OUTOFMEMORY));
  double* data = nullptr;
  SafeArrayAccessData(a, reinterpret_cast<void**>(&data));
  for (std::size_t i = 0; i < values.size(); ++i) data[i] = values[i];
  SafeArrayUnaccessData(a);
  return a;
}

void fill(VARIANT& out, const Variant& v) {
  VariantInit(&out);
  switch (v.index()) {
    case 1: out.vt = VT_BOOL, out.boolVal = std::get<bool>(v) ? VARIANT_TRUE : VARIANT_FALSE; break;
    case 2: out.vt = VT_I2, out.iVal = std::get<std::int16_t>(v); break;
    case 3: out.vt = VT_I4, out.lVal = std::get<std::int32_t>(v); break;
    case 4: out.vt = VT_R8, out.dblVal = std::get<double>(v); break;
    case 5: {
      const std::wstring w = wide(std::get<std::string>(v));
      out.vt = VT_BSTR, out.bstrVal = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
      break;
    }
    case 6: out.vt = VT_ARRAY | VT_R8, out.parray = doubles(std::get<std::vector<double>>(v)); break;
    default: break;
  }
}

std::vector<double> arrayOfDoubles(SAFEARRAY* a, VARTYPE element, const char* what) {
  std::vector<double> out;
  if (!a) return out;
  if (SafeArrayGetDim(a) != 1) throw CadError(DISP_E_TYPEMISMATCH, std::string(what) + ": an array of more than one dimension.");
  LONG low = 0, high = -1;
  SafeArrayGetLBound(a, 1, &low);
  SafeArrayGetUBound(a, 1, &high);
  for (LONG i = low; i <= high; ++i) {
    if (element == VT_R8) {
      double d = 0;
      SafeArrayGetElement(a, &i, &d);
      out.push_back(d);
    } else {
      Var item;
      SafeArrayGetElement(a, &i, &item.v);
      out.push_back(toDouble(toVariant(item.v, what), what));
    }
  }
  return out;
}

// The DISPIDs found so far, per program, object kind and member.
std::map<std::string, DISPID>& dispidCache() {
  static std::map<std::string, DISPID> cache;
  return cache;
}

}  // namespace

std::string describe(HRESULT hr) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring w = n && text ? std::wstring(text, n) : std::wstring();
  if (text) LocalFree(text);
  while (!w.empty() && (w.back() == L'\r' || w.back() == L'\n' || w.back() == L' ' || w.back() == L'.')) w.pop_back();
  if (!w.empty()) return narrow(w.data(), w.size()) + ".";
  char buf[32];
  std::snprintf(buf, sizeof buf, "HRESULT 0x%08lX", static_cast<unsigned long>(hr));
  return buf;
}

Arg Arg::value(const Variant& v) {
  Arg a;
  fill(a.held_.v, v);
  a.passed_ = a.held_.v;
  return a;
}

Arg Arg::byReference(const Variant& v) {
  Arg a;
  fill(a.held_.v, v);
  a.passed_.vt = VT_BYREF | a.held_.v.vt;
  a.passed_.byref = &a.held_.v.bstrVal;  // every member of the union starts at the same place
  return a;
}

Arg::Arg(Arg&& o) noexcept {
  held_.v = o.held_.v;
  VariantInit(&o.held_.v);
  passed_ = o.passed_;
  if (passed_.vt & VT_BYREF) {
    passed_.byref = &held_.v.bstrVal;
  } else {
    passed_ = held_.v;
  }
}

Arg::~Arg() = default;

Variant toVariant(const VARIANT& v, const char* what) {
  switch (v.vt) {
    case VT_EMPTY: return std::monostate{};
    case VT_BOOL: return v.boolVal != VARIANT_FALSE;
    case VT_I1: return static_cast<std::int16_t>(v.cVal);
    case VT_UI1: return static_cast<std::int16_t>(v.bVal);
    case VT_I2: return static_cast<std::int16_t>(v.iVal);
    case VT_UI2: return static_cast<std::int32_t>(v.uiVal);
    case VT_I4: return static_cast<std::int32_t>(v.lVal);
    case VT_INT: return static_cast<std::int32_t>(v.intVal);
    case VT_R4: return static_cast<double>(v.fltVal);
    case VT_R8: return v.dblVal;
    case VT_BSTR: return narrow(v.bstrVal);
    case VT_ARRAY | VT_R8: return arrayOfDoubles(v.parray, VT_R8, what);
    case VT_ARRAY | VT_VARIANT: return arrayOfDoubles(v.parray, VT_VARIANT, what);
    default: break;
  }
  if (v.vt & VT_BYREF) {
    Var copy;
    if (SUCCEEDED(VariantCopyInd(&copy.v, const_cast<VARIANT*>(&v)))) return toVariant(copy.v, what);
  }
  Var text;
  if (SUCCEEDED(VariantChangeType(&text.v, const_cast<VARIANT*>(&v), 0, VT_BSTR))) return narrow(text.v.bstrVal);
  return std::monostate{};
}

Dispatch::Dispatch(IDispatch* object, std::string kind, std::shared_ptr<Program> program)
    : object_(object), kind_(std::move(kind)), program_(std::move(program)) {}

Dispatch::Dispatch(const Dispatch& other) : object_(other.object_), kind_(other.kind_), program_(other.program_) {
  if (object_) object_->AddRef();
}

Dispatch::~Dispatch() {
  if (object_) object_->Release();
}

DISPID Dispatch::dispid(const std::string& member) {
  const std::string key = program_->progId + '\n' + kind_ + '\n' + member;
  auto& cache = dispidCache();
  if (const auto it = cache.find(key); it != cache.end()) return it->second;
  std::wstring name = wide(member);
  LPOLESTR names[] = {name.data()};
  DISPID id = DISPID_UNKNOWN;
  const HRESULT hr = retried([&] { return object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id); });
  if (FAILED(hr)) throw CadError(hr, describe(hr));
  cache.emplace(key, id);
  return id;
}

void Dispatch::invoke(const std::string& member, WORD flags, std::vector<Arg>& args, VARIANT* result) {
  const DISPID id = dispid(member);
  std::vector<VARIANT> reversed;  // Invoke takes the last argument first
  for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(it->variant());
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  if (flags & DISPATCH_PROPERTYPUT) params.rgdispidNamedArgs = &put, params.cNamedArgs = 1;
  EXCEPINFO error{};
  UINT argError = 0;
  const HRESULT hr = retried([&] {
    SysFreeString(error.bstrSource);
    SysFreeString(error.bstrDescription);
    SysFreeString(error.bstrHelpFile);
    error = EXCEPINFO{};
    if (result) VariantClear(result);
    return object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &error, &argError);
  });
  if (hr == DISP_E_EXCEPTION && error.pfnDeferredFillIn) error.pfnDeferredFillIn(&error);
  const std::string description = narrow(error.bstrDescription);
  SysFreeString(error.bstrSource);
  SysFreeString(error.bstrDescription);
  SysFreeString(error.bstrHelpFile);
  if (SUCCEEDED(hr)) return;
  const HRESULT number = hr == DISP_E_EXCEPTION && error.scode != 0 ? error.scode : hr;
  throw CadError(number, description.empty() ? describe(number) : description);
}

Variant Dispatch::get(const std::string& member) {
  std::vector<Arg> none;
  Var result;
  invoke(member, DISPATCH_PROPERTYGET | DISPATCH_METHOD, none, &result.v);
  return toVariant(result.v, member.c_str());
}

void Dispatch::put(const std::string& member, Arg value) {
  std::vector<Arg> args;
  args.push_back(std::move(value));
  invoke(member, DISPATCH_PROPERTYPUT, args, nullptr);
}

Dispatch Dispatch::getObject(const std::string& member, const std::string& kind) {
  return callForObject(member, {}, kind);
}

Dispatch Dispatch::callForObject(const std::string& member, std::vector<Arg> args, const std::string& kind) {
  Var result;
  invoke(member, args.empty() ? DISPATCH_PROPERTYGET | DISPATCH_METHOD : DISPATCH_METHOD, args, &result.v);
  IDispatch* object = nullptr;
  if (result.v.vt == VT_DISPATCH && result.v.pdispVal) {
    object = result.v.pdispVal;
    object->AddRef();
  } else if (result.v.vt == VT_UNKNOWN && result.v.punkVal) {
    result.v.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&object));
  }
  if (!object) throw CadError(E_NOINTERFACE, member + " gave no object.");
  return Dispatch(object, kind, program_);
}

void Dispatch::call(const std::string& member, std::vector<Arg> args) {
  Var result;
  invoke(member, DISPATCH_METHOD, args, &result.v);
}

}  // namespace veskar::cad::com
