// Registration of the server under a ProgID, in HKEY_LOCAL_MACHINE\Software\Classes (what
// HKEY_CLASSES_ROOT shows; Wine ignores class registrations under HKEY_CURRENT_USER):
//
//   PROGID                  (default) = "Veskar test CAD server (PROGID)"
//   PROGID\CLSID            (default) = {CLSID}
//   CLSID\{CLSID}           (default) = "Veskar test CAD server (PROGID)"
//   CLSID\{CLSID}\ProgID    (default) = PROGID
//   CLSID\{CLSID}\LocalServer32 (default) = "EXE" /progid PROGID /config "CONFIG"
//
// The CLSID is derived from the ProgID (see ClassIdOf), so that registering again gives the
// same keys and any process can compute it without reading the registry.
#include <cwctype>

#include "testcad.h"

namespace veskar::testcad {
namespace {

constexpr wchar_t kClasses[] = L"Software\\Classes\\";

// 64-bit FNV-1a over the upper-cased UTF-16 code units, from a given basis.
unsigned long long Fnv(std::wstring_view text, unsigned long long hash) {
  for (wchar_t c : text) {
    unsigned unit = static_cast<unsigned>(std::towupper(c));
    for (int shift = 0; shift < 16; shift += 8) {
      hash ^= (unit >> shift) & 0xFF;
      hash *= 0x100000001B3ULL;
    }
  }
  return hash;
}

LSTATUS SetDefault(const std::wstring& key, const std::wstring& value) {
  HKEY handle = nullptr;
  LSTATUS status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, (kClasses + key).c_str(), 0, nullptr, 0,
                                   KEY_WRITE, nullptr, &handle, nullptr);
  if (status != ERROR_SUCCESS) return status;
  status = RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
  return status;
}

LSTATUS DeleteTree(const std::wstring& key) {
  LSTATUS status = RegDeleteTreeW(HKEY_LOCAL_MACHINE, (kClasses + key).c_str());
  if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) {
    status = RegDeleteKeyW(HKEY_LOCAL_MACHINE, (kClasses + key).c_str());
  }
  return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

}  // namespace

CLSID ClassIdOf(std::wstring_view progId) {
  unsigned long long high = Fnv(progId, 0xCBF29CE484222325ULL);
  unsigned long long low = Fnv(progId, high ^ 0x5665736B61725443ULL);
  CLSID id;
  id.Data1 = static_cast<unsigned long>(high >> 32);
  id.Data2 = static_cast<unsigned short>(high >> 16);
  // Version 8 (a custom layout) and the RFC 4122 variant, so that it meets no registered id.
  id.Data3 = static_cast<unsigned short>((high & 0x0FFF) | 0x8000);
  for (int i = 0; i < 8; ++i) id.Data4[i] = static_cast<unsigned char>(low >> (56 - 8 * i));
  id.Data4[0] = static_cast<unsigned char>((id.Data4[0] & 0x3F) | 0x80);
  return id;
}

std::wstring GuidText(const GUID& guid) {
  wchar_t text[40];
  StringFromGUID2(guid, text, 40);
  return text;
}

HRESULT RegisterProgId(const std::wstring& progId, const std::wstring& exe,
                       const std::wstring& config) {
  std::wstring clsid = GuidText(ClassIdOf(progId));
  std::wstring title = L"Veskar test CAD server (" + progId + L")";
  std::wstring command = L"\"" + exe + L"\" /progid " + progId;
  if (!config.empty()) command += L" /config \"" + config + L"\"";
  LSTATUS status = SetDefault(progId, title);
  if (status == ERROR_SUCCESS) status = SetDefault(progId + L"\\CLSID", clsid);
  if (status == ERROR_SUCCESS) status = SetDefault(L"CLSID\\" + clsid, title);
  if (status == ERROR_SUCCESS) status = SetDefault(L"CLSID\\" + clsid + L"\\ProgID", progId);
  if (status == ERROR_SUCCESS) {
    status = SetDefault(L"CLSID\\" + clsid + L"\\LocalServer32", command);
  }
  return HRESULT_FROM_WIN32(status);
}

HRESULT UnregisterProgId(const std::wstring& progId) {
  LSTATUS status = DeleteTree(L"CLSID\\" + GuidText(ClassIdOf(progId)));
  if (status == ERROR_SUCCESS) status = DeleteTree(progId);
  return HRESULT_FROM_WIN32(status);
}

}  // namespace veskar::testcad
