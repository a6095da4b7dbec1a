// A minimal late-bound automation client for the test CAD server's own tests and probes: every
// call resolves its name with GetIDsOfNames, then Invoke; no caching, no coercion.
#pragma once

#include <windows.h>
// After windows.h:
#include <ole2.h>
#include <oleauto.h>

#include <string>
#include <vector>

namespace veskar::testcad::client {

// A VARIANT that clears itself.
struct Variant {
  VARIANT v;
  Variant() { VariantInit(&v); }
  ~Variant() { VariantClear(&v); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
};

// What one call gave: the HRESULTs, EXCEPINFO's texts and the result.
struct Outcome {
  HRESULT hr = E_FAIL;
  HRESULT scode = S_OK;
  std::wstring source, description;
  UINT argErr = ~0u;
  Variant result;
  IDispatch* Object() const { return result.v.vt == VT_DISPATCH ? result.v.pdispVal : nullptr; }
};

// Calls `name` on `object`. `args` in the member's order (first parameter first); for a put,
// the one value. The VARIANTs are passed as they are: the caller owns what they point at.
inline void Call(IDispatch* object, const wchar_t* name, WORD flags, std::vector<VARIANT> args,
                 Outcome& out) {
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  out.hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(out.hr)) return;
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    params.rgdispidNamedArgs = &put;
    params.cNamedArgs = 1;
  }
  EXCEPINFO error{};
  out.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &out.result.v, &error,
                          &out.argErr);
  if (out.hr == DISP_E_EXCEPTION) {
    out.scode = error.scode;
    if (error.bstrSource) out.source = error.bstrSource;
    if (error.bstrDescription) out.description = error.bstrDescription;
  }
  SysFreeString(error.bstrSource);
  SysFreeString(error.bstrDescription);
  SysFreeString(error.bstrHelpFile);
}

inline HRESULT Put(IDispatch* object, const wchar_t* name, VARIANT value, Outcome& out) {
  Call(object, name, DISPATCH_PROPERTYPUT, {value}, out);
  return out.hr;
}

inline HRESULT Get(IDispatch* object, const wchar_t* name, Outcome& out) {
  Call(object, name, DISPATCH_PROPERTYGET, {}, out);
  return out.hr;
}

// Variants of the kinds the tests pass.
inline VARIANT Short(short value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I2;
  v.iVal = value;
  return v;
}
inline VARIANT Double(double value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_R8;
  v.dblVal = value;
  return v;
}
inline VARIANT Bool(bool value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BOOL;
  v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}
// Not owning: `text` must outlive the call.
inline VARIANT Text(BSTR text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = text;
  return v;
}
inline VARIANT Ref(VARTYPE type, void* target) {
  VARIANT v;
  VariantInit(&v);
  v.vt = static_cast<VARTYPE>(type | VT_BYREF);
  v.byref = target;
  return v;
}
inline VARIANT Array(SAFEARRAY* array) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_ARRAY | VT_R8;
  v.parray = array;
  return v;
}

// A SAFEARRAY of doubles, bounds 0..n-1, destroyed with the object.
struct Doubles {
  SAFEARRAY* array;
  explicit Doubles(const std::vector<double>& values)
      : array(SafeArrayCreateVector(VT_R8, 0, static_cast<ULONG>(values.size()))) {
    double* data = static_cast<double*>(array->pvData);
    for (double value : values) *data++ = value;
  }
  ~Doubles() { SafeArrayDestroy(array); }
  Doubles(const Doubles&) = delete;
  Doubles& operator=(const Doubles&) = delete;
};

}  // namespace veskar::testcad::client
