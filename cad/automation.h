// The CAD application as the rest of Veskar sees it: the automation surface.
//
// Objects and members carry the names the CAD application's automation uses (Visible, Caption,
// ActiveDocument, TextStyles.Add, ModelSpace.AddText, ...). Scalar properties are read and
// written by name with variant values, as late-bound automation does; members that give
// objects are typed. Values are the variant types automation uses (VT_BOOL, VT_I2, VT_I4,
// VT_R8, VT_BSTR as UTF-8, VT_ARRAY|VT_R8) and are coerced the way automation coerces them:
// a 16-bit 1000, a 32-bit 1000 and a double 1000.0 are the same height; a value that cannot
// be coerced is a CadError (type mismatch).
//
// Three implementations stand behind it: the in-process drawing (inprocess.h), the client of
// the drawing application veskar-cad on the session bus (Linux) and the COM client of the CAD
// program (Windows). Callers never know which; a client may queue operations and run them
// later, in order (see CadApplication::Flush).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace veskar::cad {

// Error numbers, in the automation's HRESULT form.
namespace errc {
inline constexpr std::int32_t Fail = static_cast<std::int32_t>(0x80004005);          // E_FAIL
inline constexpr std::int32_t InvalidArg = static_cast<std::int32_t>(0x80070057);    // E_INVALIDARG
inline constexpr std::int32_t TypeMismatch = static_cast<std::int32_t>(0x80020005);  // DISP_E_TYPEMISMATCH
inline constexpr std::int32_t UnknownName = static_cast<std::int32_t>(0x80020006);   // DISP_E_UNKNOWNNAME
inline constexpr std::int32_t Overflow = static_cast<std::int32_t>(0x8002000A);      // DISP_E_OVERFLOW
inline constexpr std::int32_t NoDocument = static_cast<std::int32_t>(0x80040111);    // no drawing is open
inline constexpr std::int32_t NotFound = static_cast<std::int32_t>(0x8007000E);      // key/style not found
inline constexpr std::int32_t Disconnected = static_cast<std::int32_t>(0x80010108);  // the application went away
inline constexpr std::int32_t FileError = static_cast<std::int32_t>(0x80030003);     // writing a file failed
inline constexpr std::int32_t ReadOnly = static_cast<std::int32_t>(0x80020003);      // DISP_E_MEMBERNOTFOUND: property cannot be set
}  // namespace errc

// A failure reported by the CAD application: a number and a description a user can read
// (UTF-8).
class CadError : public std::runtime_error {
 public:
  CadError(std::int32_t number, const std::string& description)
      : std::runtime_error(description), number_(number), description_(description) {}
  std::int32_t number() const { return number_; }
  const std::string& description() const { return description_; }

 private:
  std::int32_t number_;
  std::string description_;
};

// An automation value: empty (VT_EMPTY), VT_BOOL, VT_I2, VT_I4, VT_R8, VT_BSTR (UTF-8 text),
// VT_ARRAY|VT_R8. Give 16-bit values as std::int16_t; a plain int is VT_I4.
using Variant = std::variant<std::monostate, bool, std::int16_t, std::int32_t, double, std::string,
                             std::vector<double>>;

// The automation name of the type a variant holds: "VT_EMPTY", "VT_BOOL", "VT_I2", "VT_I4",
// "VT_R8", "VT_BSTR", "VT_ARRAY|VT_R8".
const char* typeName(const Variant& v);

// Automation-style coercion of variants. Each throws CadError(TypeMismatch) naming `what`
// when the value cannot be coerced, CadError(Overflow) when it does not fit.
double toDouble(const Variant& v, const char* what);
std::int16_t toInt16(const Variant& v, const char* what);   // rounds halves to even, like VT_I2
bool toBool(const Variant& v, const char* what);
std::string toText(const Variant& v, const char* what);     // strings, and numbers as text
std::vector<double> toDoubleArray(const Variant& v, const char* what);

// Every automation object: properties read and written by name.
class CadObject {
 public:
  virtual ~CadObject() = default;
  // Unknown property: CadError(UnknownName). Refused value: CadError, object unchanged.
  virtual Variant Get(const std::string& property) = 0;
  virtual void Put(const std::string& property, const Variant& value) = 0;
};

// A text, a lightweight polyline or a line of model space. Each kind's properties, and every
// other object's, are listed in the member table (members.h). Every entity is on a layer
// (Layer, "0" when it was created); the layer must exist in the drawing before an entity is
// put on it (CadError(NotFound) otherwise).
class CadEntity : public CadObject {};

class CadTextStyle : public CadObject {};

class CadTextStyles : public CadObject {
 public:
  // The style of that name, created when there is none yet.
  virtual std::shared_ptr<CadTextStyle> Add(const std::string& name) = 0;
};

// A layer of the drawing; its Name.
class CadLayer : public CadObject {};

class CadLayers : public CadObject {
 public:
  // The layer of that name, created when there is none yet. Count is the number of layers;
  // every drawing has the layer "0".
  virtual std::shared_ptr<CadLayer> Add(const std::string& name) = 0;
};

// Count is the number of entities.
class CadModelSpace : public CadObject {
 public:
  // point: x, y, z. height: any number.
  virtual std::shared_ptr<CadEntity> AddText(const Variant& text, const std::vector<double>& point,
                                             const Variant& height) = 0;
  // vertices: x0, y0, x1, y1, ... (at least two vertices, an even count, all finite).
  virtual std::shared_ptr<CadEntity> AddLightWeightPolyline(const std::vector<double>& vertices) = 0;
  // start, end: x, y, z each.
  virtual std::shared_ptr<CadEntity> AddLine(const std::vector<double>& start, const std::vector<double>& end) = 0;
};

class CadDocument : public CadObject {
 public:
  virtual std::shared_ptr<CadTextStyles> TextStyles() = 0;
  virtual std::shared_ptr<CadModelSpace> ModelSpace() = 0;
  virtual std::shared_ptr<CadLayers> Layers() = 0;
  // Writes the drawing as DXF (AutoCAD 2000) to `path`.
  virtual void SaveAs(const std::string& path) = 0;
  // Closes the drawing without saving; the application then has no active drawing.
  virtual void Close() = 0;
};

class CadApplication : public CadObject {
 public:
  // The open drawing; CadError(NoDocument) when none is open.
  virtual std::shared_ptr<CadDocument> ActiveDocument() = 0;
  // Brings the application's window to the front (nothing where there is no window).
  virtual void Activate() = 0;
  // Runs every queued operation, in order; a failure among them is thrown from here.
  // Members that give a value a caller reads flush by themselves. No-op where nothing queues.
  virtual void Flush() = 0;
  // Entities this handle has seen created (confirmed by the application), for reports.
  virtual std::size_t EntitiesAdded() const = 0;
};

}  // namespace veskar::cad
