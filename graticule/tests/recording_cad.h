// A CAD automation surface that only records what is asked of it, in order, with the exact
// variant types, and can be told to fail at a given operation.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cad/automation.h"

namespace veskar::testing {

using cad::Variant;

struct Op {
  std::string object;  // "Application", "Document", "TextStyles", "Style", "Layers", "Layer", "ModelSpace", "Text", "Polyline", "Line"
  std::string member;  // "Activate", "TextStyles", "Add", "AddText", "Put", ...
  std::vector<Variant> args;

  bool operator==(const Op&) const = default;  // types and values alike
};

inline std::ostream& operator<<(std::ostream& os, const Op& op) {
  os << op.object << '.' << op.member << '(';
  const auto number = [](double d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.17g", d);
    return std::string(buf);
  };
  for (std::size_t k = 0; k < op.args.size(); ++k) {
    const Variant& v = op.args[k];
    if (k) os << ", ";
    os << cad::typeName(v) << ' ';
    if (const auto* a = std::get_if<std::vector<double>>(&v)) {
      os << '[';
      for (std::size_t n = 0; n < a->size(); ++n) os << (n ? " " : "") << number((*a)[n]);
      os << ']';
    } else if (const auto* d = std::get_if<double>(&v)) {
      os << number(*d);
    } else if (v.index() != 0) {
      os << cad::toText(v, nullptr);
    }
  }
  return os << ')';
}

struct Recorder {
  std::vector<Op> ops;
  std::optional<std::size_t> failAt;  // the operation with this index throws instead
  std::size_t entities = 0;

  void record(const std::string& object, const std::string& member, std::vector<Variant> args = {}) {
    if (failAt && ops.size() == *failAt) {
      throw cad::CadError(cad::errc::Disconnected, "The drawing application went away.");
    }
    ops.push_back({object, member, std::move(args)});
  }
};

class RecordingObject {
 protected:
  RecordingObject(std::shared_ptr<Recorder> r, std::string name) : r_(std::move(r)), name_(std::move(name)) {}
  Variant get(const std::string& property) {
    r_->record(name_, "Get", {property});
    return {};
  }
  void put(const std::string& property, const Variant& value) { r_->record(name_, "Put", {property, value}); }
  std::shared_ptr<Recorder> r_;
  std::string name_;
};

#define VESKAR_RECORDING_PROPERTIES                                          \
  Variant Get(const std::string& p) override { return get(p); }            \
  void Put(const std::string& p, const Variant& v) override { put(p, v); }

class RecordingEntity : public cad::CadEntity, RecordingObject {
 public:
  RecordingEntity(std::shared_ptr<Recorder> r, std::string name) : RecordingObject(std::move(r), std::move(name)) {}
  VESKAR_RECORDING_PROPERTIES
};

class RecordingStyle : public cad::CadTextStyle, RecordingObject {
 public:
  explicit RecordingStyle(std::shared_ptr<Recorder> r) : RecordingObject(std::move(r), "Style") {}
  VESKAR_RECORDING_PROPERTIES
};

class RecordingStyles : public cad::CadTextStyles, RecordingObject {
 public:
  explicit RecordingStyles(std::shared_ptr<Recorder> r) : RecordingObject(std::move(r), "TextStyles") {}
  VESKAR_RECORDING_PROPERTIES
  std::shared_ptr<cad::CadTextStyle> Add(const std::string& name) override {
    r_->record(name_, "Add", {name});
    return std::make_shared<RecordingStyle>(r_);
  }
};

class RecordingLayer : public cad::CadLayer, RecordingObject {
 public:
  explicit RecordingLayer(std::shared_ptr<Recorder> r) : RecordingObject(std::move(r), "Layer") {}
  VESKAR_RECORDING_PROPERTIES
};

class RecordingLayers : public cad::CadLayers, RecordingObject {
 public:
  explicit RecordingLayers(std::shared_ptr<Recorder> r) : RecordingObject(std::move(r), "Layers") {}
  VESKAR_RECORDING_PROPERTIES
  std::shared_ptr<cad::CadLayer> Add(const std::string& name) override {
    r_->record(name_, "Add", {name});
    return std::make_shared<RecordingLayer>(r_);
  }
};

class RecordingModelSpace : public cad::CadModelSpace, RecordingObject {
 public:
  explicit RecordingModelSpace(std::shared_ptr<Recorder> r) : RecordingObject(std::move(r), "ModelSpace") {}
  VESKAR_RECORDING_PROPERTIES
  std::shared_ptr<cad::CadEntity> AddText(const Variant& text, const std::vector<double>& point,
                                          const Variant& height) override {
    r_->record(name_, "AddText", {text, point, height});
    ++r_->entities;
    return std::make_shared<RecordingEntity>(r_, "Text");
  }
  std::shared_ptr<cad::CadEntity> AddLightWeightPolyline(const std::vector<double>& vertices) override {
    r_->record(name_, "AddLightWeightPolyline", {vertices});
    ++r_->entities;
    return std::make_shared<RecordingEntity>(r_, "Polyline");
  }
  std::shared_ptr<cad::CadEntity> AddLine(const std::vector<double>& start, const std::vector<double>& end) override {
    r_->record(name_, "AddLine", {start, end});
    ++r_->entities;
    return std::make_shared<RecordingEntity>(r_, "Line");
  }
};

class RecordingDocument : public cad::CadDocument, RecordingObject {
 public:
  explicit RecordingDocument(std::shared_ptr<Recorder> r) : RecordingObject(std::move(r), "Document") {}
  VESKAR_RECORDING_PROPERTIES
  std::shared_ptr<cad::CadTextStyles> TextStyles() override {
    r_->record(name_, "TextStyles");
    return std::make_shared<RecordingStyles>(r_);
  }
  std::shared_ptr<cad::CadModelSpace> ModelSpace() override {
    r_->record(name_, "ModelSpace");
    return std::make_shared<RecordingModelSpace>(r_);
  }
  std::shared_ptr<cad::CadLayers> Layers() override {
    r_->record(name_, "Layers");
    return std::make_shared<RecordingLayers>(r_);
  }
  void SaveAs(const std::string& path) override { r_->record(name_, "SaveAs", {path}); }
  void Close() override { r_->record(name_, "Close"); }
};

class RecordingApplication : public cad::CadApplication, RecordingObject {
 public:
  explicit RecordingApplication(std::shared_ptr<Recorder> r) : RecordingObject(std::move(r), "Application") {}
  VESKAR_RECORDING_PROPERTIES
  std::shared_ptr<cad::CadDocument> ActiveDocument() override {
    r_->record(name_, "ActiveDocument");
    return std::make_shared<RecordingDocument>(r_);
  }
  void Activate() override { r_->record(name_, "Activate"); }
  void Flush() override { r_->record(name_, "Flush"); }
  std::size_t EntitiesAdded() const override { return r_->entities; }
};

#undef VESKAR_RECORDING_PROPERTIES

}  // namespace veskar::testing
