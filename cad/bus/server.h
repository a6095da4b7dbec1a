// The drawing application's side of the bus: one virtual object serving /Application and
// every object below it (drawings, their style tables and styles, layer tables and layers,
// model spaces, entities)
// over the drawings of a CadSession. Every operation on a drawing is delegated to the
// in-process automation objects, so it means exactly what it means in process; the objects,
// their members and their descriptions come from the automation's member table.
#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QString>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cad/bus/packed.h"
#include "cad/bus/protocol.h"
#include "cad/bus/session.h"
#include "cad/members.h"

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

  // Runs a batch. On failure, `failedIndex` is the index of the failed operation and
  // `failure` its error; the results of the operations before it are returned.
  std::vector<packed::Result> runBatch(const std::vector<packed::Op>& ops, long& failedIndex, CadError& failure);

  struct Target;  // a resolved object of the tree
  struct Given;   // what an operation gives: a value or an object

 private:
  Target resolve(std::string_view path) const;
  Given get(Target& target, std::string_view name);
  void set(Target& target, std::string_view name, const Variant& value);
  Given run(Target& target, std::string_view member, const std::vector<Variant>& args);
  Given runApplication(const MemberSpec& m, const std::vector<Variant>& args);
  Given runDocument(Target& target, const MemberSpec& m, const std::vector<Variant>& args);
  Given runAdd(Target& target, const std::vector<Variant>& args);
  Given runModelSpace(Target& target, const MemberSpec& m, const std::vector<Variant>& args);
  packed::Result runPath(Target& target, std::string_view member, const std::vector<Variant>& args,
                         std::vector<std::unique_ptr<Target>>& produced);

  bool handleBatch(const QDBusMessage& message, const QDBusConnection& connection);
  bool handleProperties(Target& target, const QDBusMessage& message, const QDBusConnection& connection);

  CadSession& session_;
};

}  // namespace veskar::cad::bus
