// A CAD automation surface that only records what is asked of it, in order, with the exact
// variant types, and can be told to fail at a given operation.
#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <cstddef>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

#include "cad/automation.h"

namespace veskar::testing {

struct Op {
  QString object;  // "Application", "Document", "TextStyles", "Style", "ModelSpace", "Text", "Polyline"
  QString member;  // "Activate", "TextStyles", "Add", "AddText", "Put", ...
  QVariantList args;
};

inline bool sameVariant(const QVariant& a, const QVariant& b) {
  if (a.metaType() != b.metaType()) return false;
  if (a.metaType() == QMetaType::fromType<QList<double>>()) {
    return a.value<QList<double>>() == b.value<QList<double>>();
  }
  return a == b;
}

inline bool operator==(const Op& a, const Op& b) {
  if (a.object != b.object || a.member != b.member || a.args.size() != b.args.size()) return false;
  for (qsizetype k = 0; k < a.args.size(); ++k) {
    if (!sameVariant(a.args[k], b.args[k])) return false;
  }
  return true;
}

inline std::ostream& operator<<(std::ostream& os, const Op& op) {
  os << op.object.toStdString() << '.' << op.member.toStdString() << '(';
  for (qsizetype k = 0; k < op.args.size(); ++k) {
    const QVariant& v = op.args[k];
    if (k) os << ", ";
    if (v.metaType() == QMetaType::fromType<QList<double>>()) {
      os << '[';
      const auto list = v.value<QList<double>>();
      for (qsizetype n = 0; n < list.size(); ++n) os << (n ? " " : "") << QString::number(list[n], 'g', 17).toStdString();
      os << ']';
    } else {
      os << v.metaType().name() << ' ' << (v.metaType() == QMetaType::fromType<double>()
                                                ? QString::number(v.toDouble(), 'g', 17)
                                                : v.toString()).toStdString();
    }
  }
  return os << ')';
}

struct Recorder {
  std::vector<Op> ops;
  std::optional<std::size_t> failAt;  // the operation with this index throws instead
  std::size_t entities = 0;

  void record(const QString& object, const QString& member, QVariantList args = {}) {
    if (failAt && ops.size() == *failAt) {
      throw cad::CadError(cad::errc::Disconnected, QStringLiteral("The drawing application went away."));
    }
    ops.push_back({object, member, std::move(args)});
  }
};

class RecordingObject {
 protected:
  RecordingObject(std::shared_ptr<Recorder> r, QString name) : r_(std::move(r)), name_(std::move(name)) {}
  QVariant get(const QString& property) {
    r_->record(name_, QStringLiteral("Get"), {property});
    return {};
  }
  void put(const QString& property, const QVariant& value) {
    r_->record(name_, QStringLiteral("Put"), {property, value});
  }
  std::shared_ptr<Recorder> r_;
  QString name_;
};

class RecordingEntity : public cad::CadEntity, RecordingObject {
 public:
  RecordingEntity(std::shared_ptr<Recorder> r, QString name) : RecordingObject(std::move(r), std::move(name)) {}
  QVariant Get(const QString& p) override { return get(p); }
  void Put(const QString& p, const QVariant& v) override { put(p, v); }
};

class RecordingStyle : public cad::CadTextStyle, RecordingObject {
 public:
  explicit RecordingStyle(std::shared_ptr<Recorder> r) : RecordingObject(std::move(r), QStringLiteral("Style")) {}
  QVariant Get(const QString& p) override { return get(p); }
  void Put(const QString& p, const QVariant& v) override { put(p, v); }
};

class RecordingStyles : public cad::CadTextStyles, RecordingObject {
 public:
  explicit RecordingStyles(std::shared_ptr<Recorder> r) : RecordingObject(std::move(r), QStringLiteral("TextStyles")) {}
  QVariant Get(const QString& p) override { return get(p); }
  void Put(const QString& p, const QVariant& v) override { put(p, v); }
  std::shared_ptr<cad::CadTextStyle> Add(const QString& name) override {
    r_->record(name_, QStringLiteral("Add"), {name});
    return std::make_shared<RecordingStyle>(r_);
  }
};

class RecordingModelSpace : public cad::CadModelSpace, RecordingObject {
 public:
  explicit RecordingModelSpace(std::shared_ptr<Recorder> r) : RecordingObject(std::move(r), QStringLiteral("ModelSpace")) {}
  QVariant Get(const QString& p) override { return get(p); }
  void Put(const QString& p, const QVariant& v) override { put(p, v); }
  std::shared_ptr<cad::CadEntity> AddText(const QVariant& text, const QList<double>& point,
                                          const QVariant& height) override {
    r_->record(name_, QStringLiteral("AddText"), {text, QVariant::fromValue(point), height});
    ++r_->entities;
    return std::make_shared<RecordingEntity>(r_, QStringLiteral("Text"));
  }
  std::shared_ptr<cad::CadEntity> AddLightWeightPolyline(const QList<double>& vertices) override {
    r_->record(name_, QStringLiteral("AddLightWeightPolyline"), {QVariant::fromValue(vertices)});
    ++r_->entities;
    return std::make_shared<RecordingEntity>(r_, QStringLiteral("Polyline"));
  }
};

class RecordingDocument : public cad::CadDocument, RecordingObject {
 public:
  explicit RecordingDocument(std::shared_ptr<Recorder> r) : RecordingObject(std::move(r), QStringLiteral("Document")) {}
  QVariant Get(const QString& p) override { return get(p); }
  void Put(const QString& p, const QVariant& v) override { put(p, v); }
  std::shared_ptr<cad::CadTextStyles> TextStyles() override {
    r_->record(name_, QStringLiteral("TextStyles"));
    return std::make_shared<RecordingStyles>(r_);
  }
  std::shared_ptr<cad::CadModelSpace> ModelSpace() override {
    r_->record(name_, QStringLiteral("ModelSpace"));
    return std::make_shared<RecordingModelSpace>(r_);
  }
  void SaveAs(const QString& path) override { r_->record(name_, QStringLiteral("SaveAs"), {path}); }
  void Close() override { r_->record(name_, QStringLiteral("Close")); }
};

class RecordingApplication : public cad::CadApplication, RecordingObject {
 public:
  explicit RecordingApplication(std::shared_ptr<Recorder> r) : RecordingObject(std::move(r), QStringLiteral("Application")) {}
  QVariant Get(const QString& p) override { return get(p); }
  void Put(const QString& p, const QVariant& v) override { put(p, v); }
  std::shared_ptr<cad::CadDocument> ActiveDocument() override {
    r_->record(name_, QStringLiteral("ActiveDocument"));
    return std::make_shared<RecordingDocument>(r_);
  }
  void Activate() override { r_->record(name_, QStringLiteral("Activate")); }
  void Flush() override { r_->record(name_, QStringLiteral("Flush")); }
  std::size_t EntitiesAdded() const override { return r_->entities; }
};

}  // namespace veskar::testing
