// Writing the recording: lines to the file, variants to text (format in recording.h).
#include <cstdio>

#include "recording.h"
#include "testcad.h"

namespace veskar::testcad {
namespace {

namespace rec = recording;

struct TypeName {
  VARTYPE type;
  const char* name;
};
constexpr TypeName kTypeNames[] = {
    {VT_EMPTY, "VT_EMPTY"},     {VT_NULL, "VT_NULL"},
    {VT_I2, "VT_I2"},           {VT_I4, "VT_I4"},
    {VT_R4, "VT_R4"},           {VT_R8, "VT_R8"},
    {VT_CY, "VT_CY"},           {VT_DATE, "VT_DATE"},
    {VT_BSTR, "VT_BSTR"},       {VT_DISPATCH, "VT_DISPATCH"},
    {VT_ERROR, "VT_ERROR"},     {VT_BOOL, "VT_BOOL"},
    {VT_VARIANT, "VT_VARIANT"}, {VT_UNKNOWN, "VT_UNKNOWN"},
    {VT_DECIMAL, "VT_DECIMAL"}, {VT_I1, "VT_I1"},
    {VT_UI1, "VT_UI1"},         {VT_UI2, "VT_UI2"},
    {VT_UI4, "VT_UI4"},         {VT_I8, "VT_I8"},
    {VT_UI8, "VT_UI8"},         {VT_INT, "VT_INT"},
    {VT_UINT, "VT_UINT"},       {VT_RECORD, "VT_RECORD"},
};

std::string TypeText(VARTYPE type) {
  std::string text;
  if (type & VT_BYREF) text += "VT_BYREF|";
  if (type & VT_ARRAY) text += "VT_ARRAY|";
  if (type & VT_VECTOR) text += "VT_VECTOR|";
  VARTYPE base = type & VT_TYPEMASK;
  for (const TypeName& entry : kTypeNames) {
    if (entry.type == base) return text + entry.name;
  }
  char hex[16];
  std::snprintf(hex, sizeof hex, "VT_0x%04X", static_cast<unsigned>(base));
  return text + hex;
}

std::string Hex(unsigned long value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", value);
  return text;
}

template <typename T>
T Read(const void* at) {
  return *static_cast<const T*>(at);
}

std::string BstrText(BSTR text) {
  if (!text) return "null";
  static_assert(sizeof(wchar_t) == sizeof(char16_t));
  std::u16string units(SysStringLen(text), u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) units[i] = static_cast<char16_t>(text[i]);
  return rec::Quote(units);
}

// A scalar of type `base` stored at `at` (a variant's data, a reference's target, an element).
std::string ScalarText(VARTYPE base, const void* at) {
  switch (base) {
    case VT_I1:
      return std::to_string(Read<signed char>(at));
    case VT_UI1:
      return std::to_string(Read<unsigned char>(at));
    case VT_I2:
      return std::to_string(Read<short>(at));
    case VT_UI2:
      return std::to_string(Read<unsigned short>(at));
    case VT_BOOL:
      return std::to_string(Read<VARIANT_BOOL>(at));
    case VT_I4:
    case VT_INT:
      return std::to_string(Read<int>(at));
    case VT_UI4:
    case VT_UINT:
      return std::to_string(Read<unsigned>(at));
    case VT_I8:
      return std::to_string(Read<long long>(at));
    case VT_UI8:
      return std::to_string(Read<unsigned long long>(at));
    case VT_CY:
      return std::to_string(Read<CY>(at).int64);
    case VT_ERROR:
      return Hex(static_cast<unsigned long>(Read<SCODE>(at)));
    case VT_R4:
      return rec::Number(Read<float>(at), 9);
    case VT_R8:
    case VT_DATE:
      return rec::Number(Read<double>(at));
    case VT_BSTR:
      return BstrText(Read<BSTR>(at));
    case VT_DISPATCH:
    case VT_UNKNOWN:
      return Read<IUnknown*>(at) ? "object" : "null";
    case VT_VARIANT:
      return Describe(Read<VARIANT>(at));
    default:
      return "?";
  }
}

std::string ArrayText(SAFEARRAY* array, VARTYPE base) {
  if (!array) return "null";
  std::string text = "[";
  UINT dims = SafeArrayGetDim(array);
  ULONG count = dims ? 1 : 0;
  for (UINT d = 0; d < dims; ++d) {
    // rgsabound holds the dimensions last first.
    const SAFEARRAYBOUND& bound = array->rgsabound[dims - 1 - d];
    text += (d ? "," : "") + std::to_string(bound.lLbound) + ".." +
            std::to_string(bound.lLbound + static_cast<LONG>(bound.cElements) - 1);
    count *= bound.cElements;
  }
  text += "] {";
  const char* data = static_cast<const char*>(array->pvData);
  for (ULONG i = 0; i < count && data; ++i) {
    text += (i ? "," : "") + ScalarText(base, data + i * array->cbElements);
  }
  return text + "}";
}

}  // namespace

Recorder::~Recorder() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

bool Recorder::Open(const std::wstring& path) {
  file_ = CreateFileW(path.c_str(), FILE_APPEND_DATA,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
  return file_ != INVALID_HANDLE_VALUE;
}

void Recorder::Write(const std::vector<std::string>& fields) {
  if (file_ == INVALID_HANDLE_VALUE) return;
  std::string line;
  for (const std::string& field : fields) line += (line.empty() ? "" : "\t") + field;
  line += '\n';
  DWORD written = 0;
  WriteFile(file_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

std::string Utf8(std::wstring_view text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

std::string Describe(const VARIANT& value) {
  VARTYPE type = value.vt, base = type & VT_TYPEMASK;
  std::string text = TypeText(type);
  if (type & VT_ARRAY) {
    SAFEARRAY* array =
        (type & VT_BYREF) ? (value.pparray ? *value.pparray : nullptr) : value.parray;
    if ((type & VT_BYREF) && !value.pparray) return text + " null";
    return text + " " + ArrayText(array, base);
  }
  if (type & VT_BYREF) return text + " " + (value.byref ? ScalarText(base, value.byref) : "null");
  if (base == VT_EMPTY || base == VT_NULL) return text;
  if (base == VT_VARIANT || base == VT_DECIMAL) return text + " ?";
  return text + " " + ScalarText(base, &value.llVal);
}

std::string FlagsText(WORD flags) {
  static constexpr struct {
    WORD flag;
    const char* name;
  } kFlags[] = {{DISPATCH_METHOD, "method"},
                {DISPATCH_PROPERTYGET, "get"},
                {DISPATCH_PROPERTYPUT, "put"},
                {DISPATCH_PROPERTYPUTREF, "putref"}};
  std::string text;
  WORD known = 0;
  for (const auto& entry : kFlags) {
    known |= entry.flag;
    if (flags & entry.flag) text += (text.empty() ? "" : "|") + std::string(entry.name);
  }
  if (flags & ~known) text += (text.empty() ? "" : "|") + Hex(flags & ~known);
  return text.empty() ? "0" : text;
}

std::string HresultText(HRESULT hr) {
  return hr == S_OK ? "S_OK" : Hex(static_cast<unsigned long>(hr));
}

std::string Decimal(unsigned long value) { return std::to_string(value); }

}  // namespace veskar::testcad
