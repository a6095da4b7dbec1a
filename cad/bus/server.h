// The drawing application's side of the bus: one virtual object serving /Application and
// every object below it (drawings, their style tables and styles, model spaces, entities)
// over the drawings of a CadSession. Every operation on a drawing is delegated to the
// in-process automation objects, so it means exactly what it means in process.
#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <memory>

#include "cad/bus/protocol.h"
#include "cad/bus/session.h"

namespace veskar::cad::bus {

class CadServer : public QDBusVirtualObject {
  Q_OBJECT
 public:
  explicit CadServer(CadSession& session, QObject* parent = nullptr);
  ~CadServer() override;

  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;
  QString introspect(const QString& path) const override;

  // Registers the object tree on `connection`, then asks for the name org.veskar.Cad (in that
  // order, so a client that sees the name finds the objects). False with the bus's reason in
  // `error` (e.g. the name already has an owner).
  bool publish(QDBusConnection connection, QString& error);

  struct Target;  // a resolved object of the tree

  // Runs one operation on the object at `path`, as one operation of a batch would: member
  // "Get" / "Set" for properties, else a method. Objects come back as QDBusObjectPath.
  // Throws CadError.
  QVariant call(const QString& path, const QString& member, const QVariantList& args);

  // Runs a batch. On failure, `failedIndex` is the index of the failed operation and
  // `failure` its error; the results of the operations before it are returned.
  QVariantList runBatch(const QList<BusOp>& ops, qsizetype& failedIndex, CadError& failure);

 private:
  Target resolve(const QString& path) const;
  QVariant run(Target& target, const QString& member, const QVariantList& args,
               std::unique_ptr<Target>* produced);
  QVariant getProperty(Target& target, const QString& name, std::unique_ptr<Target>* produced);
  void setProperty(Target& target, const QString& name, const QVariant& value);
  QVariantMap getAll(Target& target);

  CadSession& session_;
};

}  // namespace veskar::cad::bus
