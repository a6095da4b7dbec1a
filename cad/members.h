// The members of the automation objects, in one table: each object kind's properties and
// methods, their names as the CAD application spells them, whether a property can be set, and
// the types they carry. The in-process drawing looks its property names up here, the bus server
// serves and describes its objects from it, the COM client calls members by these names.
//
// Types are given as D-Bus signatures: "b" bool, "i" 32-bit integer (numeric properties take
// any number and are read back as this type), "d" double, "s" text, "ad" array of doubles,
// "v" any value, "o" an object.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace veskar::cad {

enum class ObjectKind : std::uint8_t {
  Application, Document, TextStyles, TextStyle, ModelSpace, Text, Polyline, Layers, Layer, Line
};

enum class Member : std::uint8_t {
  Visible, Caption, ActiveDocument, Activate, Quit,          // application
  Name, ModelSpace, TextStyles, SaveAs, Close,               // drawing (Name also a style's)
  Count, Add, FontFile, BigFontFile,                         // style table (Count also model space's), style
  AddText, AddLightWeightPolyline,                           // model space
  TextString, InsertionPoint, Height, Color, ScaleFactor,    // text (Color also a polyline's)
  StyleName, Rotation, VerticalAlignment, HorizontalAlignment, TextAlignmentPoint,
  Coordinates,                                               // polyline
  Layers, AddLine, Layer, ConstantWidth, Closed,             // drawing, model space, entities, polyline
  StartPoint, EndPoint,                                      // line
};

enum class Access : std::uint8_t { Read, ReadWrite, Method };

struct Parameter {
  const char* name;
  const char* type;
};

struct MemberSpec {
  ObjectKind object;
  Member member;
  const char* name;
  Access access;
  const char* type;        // a property's type, a method's result ("" for none)
  const char* resultName;  // a method's result, as its description names it
  Parameter params[3];     // a method's arguments, in order; unused ones {nullptr, nullptr}
};

struct ObjectSpec {
  ObjectKind kind;
  const char* name;     // "Application", "Document", ..., "LightWeightPolyline"
  const char* subject;  // how messages name it at the start of a sentence: "A text style"
  const char* object;   // and inside one: "a text style"
};

// Every kind's members, the kinds in the order of ObjectKind, each kind's properties before its
// methods.
std::span<const MemberSpec> members();
std::span<const MemberSpec> membersOf(ObjectKind kind);
const ObjectSpec& objectSpec(ObjectKind kind);

// The member of that name (any case) of an object of `kind`; nullptr when it has none.
const MemberSpec* findMember(ObjectKind kind, std::string_view name);

// The name of a member as the CAD application spells it ("AddText", "fontFile").
const char* nameOf(Member member);

// A property that holds a value (not an object) of an object of `kind`, by name. The first
// throws CadError(UnknownName) naming the object when there is none, the second also
// CadError(ReadOnly) when it cannot be set.
Member readableProperty(ObjectKind kind, std::string_view name);
Member writableProperty(ObjectKind kind, std::string_view name);

}  // namespace veskar::cad
