// Late-bound automation through IDispatch, for the CAD programs on Windows: members called by
// name, their DISPIDs looked up once per program, object kind and member; the automation
// surface's values as VARIANTs; failures as CadError with the server's own words; and calls a
// busy program rejects tried again, one call at a time, for up to a minute.
#pragma once

#include <windows.h>
// After windows.h:
#include <oaidl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cad/automation.h"

namespace veskar::cad::com {

// How long a rejected call is tried again, and how long to wait between tries.
inline constexpr DWORD kRetryForMs = 60000;
inline constexpr DWORD kRetryEveryMs = 100;

// The platform's words for a failed HRESULT: FormatMessageW in the user's language, else
// "HRESULT 0x8xxxxxxx" (Wine has no text for COM's codes).
std::string describe(HRESULT hr);

// A VARIANT that clears itself.
class Var {
 public:
  Var() { VariantInit(&v); }
  ~Var() { VariantClear(&v); }
  Var(const Var&) = delete;
  Var& operator=(const Var&) = delete;
  VARIANT v;
};

// One argument as it goes to Invoke: by value, or by reference to a value it holds itself
// (VT_BYREF|VT_BSTR, VT_BYREF|VT_ARRAY|VT_R8).
class Arg {
 public:
  static Arg value(const Variant& v);
  static Arg byReference(const Variant& v);
  Arg(Arg&&) noexcept;
  Arg& operator=(Arg&&) = delete;
  ~Arg();
  VARIANT& variant() { return passed_; }

 private:
  Arg() = default;
  Var held_;         // what a reference points at
  VARIANT passed_{};  // what Invoke gets
};

// A VARIANT a server gave back, as an automation value (objects excluded).
Variant toVariant(const VARIANT& v, const char* what);

// What the objects of one CAD program share: its ProgID (which keys the DISPID cache) and the
// count of entities it confirmed.
struct Program {
  std::string progId;
  std::size_t entitiesAdded = 0;
};

// An automation object of kind `kind` ("Application", "Document", "Text", ...).
class Dispatch {
 public:
  Dispatch(IDispatch* object, std::string kind, std::shared_ptr<Program> program);  // takes a reference
  Dispatch(const Dispatch& other);
  Dispatch& operator=(const Dispatch&) = delete;
  ~Dispatch();

  Variant get(const std::string& member);
  void put(const std::string& member, Arg value);
  // A member that gives an object of kind `kind`.
  Dispatch getObject(const std::string& member, const std::string& kind);
  Dispatch callForObject(const std::string& member, std::vector<Arg> args, const std::string& kind);
  void call(const std::string& member, std::vector<Arg> args);

  const std::shared_ptr<Program>& program() const { return program_; }

 private:
  DISPID dispid(const std::string& member);
  void invoke(const std::string& member, WORD flags, std::vector<Arg>& args, VARIANT* result);

  IDispatch* object_;
  std::string kind_;
  std::shared_ptr<Program> program_;
};

}  // namespace veskar::cad::com
