#include "cad/members.h"

#include <array>
#include <string>

#include "cad/automation.h"
#include "platform/text.h"

namespace veskar::cad {
namespace {

using K = ObjectKind;
using M = Member;
constexpr Access R = Access::Read, RW = Access::ReadWrite, Call = Access::Method;

constexpr MemberSpec kMembers[] = {
    {K::Application, M::Visible, "Visible", RW, "b", nullptr, {}},
    {K::Application, M::Caption, "Caption", R, "s", nullptr, {}},
    {K::Application, M::ActiveDocument, "ActiveDocument", R, "o", nullptr, {}},
    {K::Application, M::Activate, "Activate", Call, "", nullptr, {}},
    {K::Application, M::Quit, "Quit", Call, "", nullptr, {}},

    {K::Document, M::Name, "Name", R, "s", nullptr, {}},
    {K::Document, M::ModelSpace, "ModelSpace", R, "o", nullptr, {}},
    {K::Document, M::TextStyles, "TextStyles", R, "o", nullptr, {}},
    {K::Document, M::Layers, "Layers", R, "o", nullptr, {}},
    {K::Document, M::SaveAs, "SaveAs", Call, "", nullptr, {{"path", "s"}}},
    {K::Document, M::Close, "Close", Call, "", nullptr, {}},

    {K::TextStyles, M::Count, "Count", R, "i", nullptr, {}},
    {K::TextStyles, M::Add, "Add", Call, "o", "style", {{"name", "s"}}},

    {K::TextStyle, M::Name, "Name", R, "s", nullptr, {}},
    {K::TextStyle, M::FontFile, "fontFile", RW, "s", nullptr, {}},
    {K::TextStyle, M::BigFontFile, "BigFontFile", RW, "s", nullptr, {}},

    {K::ModelSpace, M::Count, "Count", R, "i", nullptr, {}},
    {K::ModelSpace, M::AddText, "AddText", Call, "o", "entity", {{"text", "v"}, {"point", "ad"}, {"height", "v"}}},
    {K::ModelSpace, M::AddLightWeightPolyline, "AddLightWeightPolyline", Call, "o", "entity", {{"vertices", "ad"}}},
    {K::ModelSpace, M::AddLine, "AddLine", Call, "o", "entity", {{"start", "ad"}, {"end", "ad"}}},

    {K::Text, M::TextString, "TextString", RW, "s", nullptr, {}},
    {K::Text, M::InsertionPoint, "InsertionPoint", RW, "ad", nullptr, {}},
    {K::Text, M::Height, "Height", RW, "d", nullptr, {}},
    {K::Text, M::Color, "Color", RW, "i", nullptr, {}},
    {K::Text, M::ScaleFactor, "ScaleFactor", RW, "d", nullptr, {}},
    {K::Text, M::StyleName, "StyleName", RW, "s", nullptr, {}},
    {K::Text, M::Rotation, "Rotation", RW, "d", nullptr, {}},
    {K::Text, M::VerticalAlignment, "VerticalAlignment", RW, "i", nullptr, {}},
    {K::Text, M::HorizontalAlignment, "HorizontalAlignment", RW, "i", nullptr, {}},
    {K::Text, M::TextAlignmentPoint, "TextAlignmentPoint", RW, "ad", nullptr, {}},
    {K::Text, M::Layer, "Layer", RW, "s", nullptr, {}},

    {K::Polyline, M::Coordinates, "Coordinates", RW, "ad", nullptr, {}},
    {K::Polyline, M::Color, "Color", RW, "i", nullptr, {}},
    {K::Polyline, M::Layer, "Layer", RW, "s", nullptr, {}},
    {K::Polyline, M::ConstantWidth, "ConstantWidth", RW, "d", nullptr, {}},
    {K::Polyline, M::Closed, "Closed", RW, "b", nullptr, {}},

    {K::Layers, M::Count, "Count", R, "i", nullptr, {}},
    {K::Layers, M::Add, "Add", Call, "o", "layer", {{"name", "s"}}},

    {K::Layer, M::Name, "Name", R, "s", nullptr, {}},

    {K::Line, M::StartPoint, "StartPoint", RW, "ad", nullptr, {}},
    {K::Line, M::EndPoint, "EndPoint", RW, "ad", nullptr, {}},
    {K::Line, M::Color, "Color", RW, "i", nullptr, {}},
    {K::Line, M::Layer, "Layer", RW, "s", nullptr, {}},
};

constexpr ObjectSpec kObjects[] = {
    {K::Application, "Application", "The application", "the application"},
    {K::Document, "Document", "A drawing", "a drawing"},
    {K::TextStyles, "TextStyles", "The text style collection", "the text style collection"},
    {K::TextStyle, "TextStyle", "A text style", "a text style"},
    {K::ModelSpace, "ModelSpace", "Model space", "model space"},
    {K::Text, "Text", "A text", "a text"},
    {K::Polyline, "LightWeightPolyline", "A polyline", "a polyline"},
    {K::Layers, "Layers", "The layer collection", "the layer collection"},
    {K::Layer, "Layer", "A layer", "a layer"},
    {K::Line, "Line", "A line", "a line"},
};

constexpr std::size_t kKinds = std::size(kObjects);

constexpr bool wellOrdered() {
  for (std::size_t k = 0; k < kKinds; ++k) {
    if (kObjects[k].kind != ObjectKind(k)) return false;
  }
  for (std::size_t i = 1; i < std::size(kMembers); ++i) {
    if (kMembers[i].object < kMembers[i - 1].object) return false;
  }
  return true;
}
static_assert(wellOrdered(), "kinds in the order of ObjectKind, members grouped by kind");

// Each kind's members: [begin, end) in kMembers.
const std::array<std::span<const MemberSpec>, kKinds>& ranges() {
  static const auto r = [] {
    std::array<std::span<const MemberSpec>, kKinds> out{};
    std::size_t i = 0;
    for (std::size_t k = 0; k < kKinds; ++k) {
      const std::size_t begin = i;
      while (i < std::size(kMembers) && kMembers[i].object == ObjectKind(k)) ++i;
      out[k] = std::span<const MemberSpec>(kMembers + begin, i - begin);
    }
    return out;
  }();
  return r;
}

const MemberSpec& property(ObjectKind kind, std::string_view name) {
  const MemberSpec* m = findMember(kind, name);
  if (!m || m->access == Access::Method || std::string_view(m->type) == "o")
    throw CadError(errc::UnknownName, std::string(objectSpec(kind).subject) + " has no property named \"" +
                                          std::string(name) + "\".");
  return *m;
}

}  // namespace

std::span<const MemberSpec> members() { return kMembers; }

std::span<const MemberSpec> membersOf(ObjectKind kind) { return ranges()[std::size_t(kind)]; }

const ObjectSpec& objectSpec(ObjectKind kind) { return kObjects[std::size_t(kind)]; }

const MemberSpec* findMember(ObjectKind kind, std::string_view name) {
  for (const MemberSpec& m : membersOf(kind)) {
    if (platform::equalIgnoringCase(name, m.name)) return &m;
  }
  return nullptr;
}

const char* nameOf(Member member) {
  for (const MemberSpec& m : kMembers) {
    if (m.member == member) return m.name;
  }
  return "";
}

Member readableProperty(ObjectKind kind, std::string_view name) { return property(kind, name).member; }

Member writableProperty(ObjectKind kind, std::string_view name) {
  const MemberSpec& m = property(kind, name);
  if (m.access != Access::ReadWrite)
    throw CadError(errc::ReadOnly, "The property " + std::string(name) + " of " + objectSpec(kind).object +
                                       " cannot be changed.");
  return m.member;
}

}  // namespace veskar::cad
