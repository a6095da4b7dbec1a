// Arguments in, values out, and the refusals of the object model.
#include <algorithm>

#include "testcad.h"

namespace veskar::testcad {
namespace {

// A VARIANT that clears itself.
struct Owned {
  VARIANT v;
  Owned() { VariantInit(&v); }
  ~Owned() { VariantClear(&v); }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
};

bool ThreeElements(ULONG count) { return count == 3; }
bool VertexPairs(ULONG count) { return count >= 4 && count % 2 == 0; }

}  // namespace

void Refuse(const Fault& fault, const std::wstring& detail) {
  std::wstring text = fault.text;
  if (!detail.empty()) text += L": " + detail;
  throw Refusal{DISP_E_EXCEPTION, fault.scode, text};
}

VARIANT Args::Coerce(std::size_t i, VARTYPE type) const {
  VARIANT out;
  VariantInit(&out);
  if (FAILED(VariantChangeType(&out, At(i), 0, type))) {
    throw Refusal{DISP_E_TYPEMISMATCH, S_OK, {}, Slot(i)};
  }
  return out;
}

std::wstring Args::Text(std::size_t i) const {
  VARIANT value = Coerce(i, VT_BSTR);
  std::wstring text(value.bstrVal ? value.bstrVal : L"", SysStringLen(value.bstrVal));
  VariantClear(&value);
  return text;
}

double Args::Number(std::size_t i) const { return Coerce(i, VT_R8).dblVal; }
long Args::Integer(std::size_t i) const { return Coerce(i, VT_I4).lVal; }
bool Args::Boolean(std::size_t i) const { return Coerce(i, VT_BOOL).boolVal != VARIANT_FALSE; }

std::vector<double> Args::Doubles(std::size_t i, bool (*countOk)(ULONG)) const {
  Owned plain;  // the array, whether given by value, by reference or in a referenced variant
  if (FAILED(VariantCopyInd(&plain.v, At(i))) || plain.v.vt != (VT_ARRAY | VT_R8) ||
      !plain.v.parray) {
    throw Refusal{DISP_E_TYPEMISMATCH, S_OK, {}, Slot(i)};
  }
  SAFEARRAY* array = plain.v.parray;
  if (SafeArrayGetDim(array) != 1) Refuse(fault::kDimensions);
  ULONG count = array->rgsabound[0].cElements;
  if (!countOk(count)) Refuse(fault::kElements);
  const double* data = static_cast<const double*>(array->pvData);
  return std::vector<double>(data, data + count);
}

std::vector<double> Args::Point(std::size_t i) const { return Doubles(i, ThreeElements); }
std::vector<double> Args::Vertices(std::size_t i) const { return Doubles(i, VertexPairs); }

void SetNumber(VARIANT* result, double value) {
  result->vt = VT_R8;
  result->dblVal = value;
}

void SetInteger(VARIANT* result, long value) {
  result->vt = VT_I4;
  result->lVal = value;
}

void SetBoolean(VARIANT* result, bool value) {
  result->vt = VT_BOOL;
  result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void SetText(VARIANT* result, const std::wstring& value) {
  result->vt = VT_BSTR;
  result->bstrVal = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
}

void SetObject(VARIANT* result, IDispatch* object) {
  object->AddRef();
  result->vt = VT_DISPATCH;
  result->pdispVal = object;
}

void SetDoubles(VARIANT* result, const std::vector<double>& values) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_R8, 0, static_cast<ULONG>(values.size()));
  std::copy(values.begin(), values.end(), static_cast<double*>(array->pvData));
  result->vt = VT_ARRAY | VT_R8;
  result->parray = array;
}

}  // namespace veskar::testcad
