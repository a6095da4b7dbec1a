// The wire protocol between the automation client and the drawing application veskar-cad:
// bus name, object paths, interfaces, error names, and the batch operation.
//
// Objects (all served by one virtual object registered at /Application with its subtree):
//   /Application                                   org.veskar.Cad.Application
//   /Application/Documents/<id>                    org.veskar.Cad.Document
//   /Application/Documents/<id>/TextStyles         org.veskar.Cad.TextStyles
//   /Application/Documents/<id>/TextStyles/<i>     org.veskar.Cad.TextStyle   (i: style index)
//   /Application/Documents/<id>/Layers             org.veskar.Cad.Layers
//   /Application/Documents/<id>/Layers/<i>         org.veskar.Cad.Layer       (i: layer index)
//   /Application/Documents/<id>/ModelSpace         org.veskar.Cad.ModelSpace
//   /Application/Documents/<id>/ModelSpace/<i>     org.veskar.Cad.Text,
//                                                  org.veskar.Cad.LightWeightPolyline or
//                                                  org.veskar.Cad.Line
// Properties go through org.freedesktop.DBus.Properties (Get, Set, GetAll).
//
// Batch: org.veskar.Cad.Application.Batch(a(ssav) operations) -> (av results, i failed_index,
// s error_name, s error_message). Each operation is (target, member, arguments). The target
// is an object path, or "$k": the object that operation k of the same batch gave ("$k.n": the
// n-th of the objects it gave). Members are the methods of the target's interface, and "Get"
// (property name) and "Set" (property name, value, and possibly further name-value pairs, set
// in order) for its properties. A member may be a path of object properties ending in a
// method, "ActiveDocument.ModelSpace.AddText": the properties are read in turn, each giving the
// object the next runs on, as separate operations would; such an operation gives every object
// on its way. Operations run in order; the first failure stops the batch: failed_index is its
// position and error_name / error_message its error, as a single call would have answered it;
// otherwise failed_index is -1 and the names are empty.
// Results: one per operation that ran: the object path (a path operation: the list of every
// object's path), the property value, or the byte 0 for an operation without one.
//
// BatchPacked(ay operations) -> (ay results, i failed_index, s error_name, s error_message):
// the same batch with operations and results in the compact form of packed.h, which costs a
// fraction of the time to build and to read; the client of this project uses it.
#pragma once

#include <QDBusArgument>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariantList>
#include <cstdint>

namespace veskar::cad::bus {

inline constexpr char kServiceName[] = "org.veskar.Cad";
inline constexpr char kApplicationPath[] = "/Application";
inline constexpr char kDocumentsPath[] = "/Application/Documents";
inline constexpr char kInterfacePrefix[] = "org.veskar.Cad.";  // + the object kind's name
inline constexpr char kApplicationInterface[] = "org.veskar.Cad.Application";
inline constexpr char kDocumentInterface[] = "org.veskar.Cad.Document";
inline constexpr char kTextStylesInterface[] = "org.veskar.Cad.TextStyles";
inline constexpr char kTextStyleInterface[] = "org.veskar.Cad.TextStyle";
inline constexpr char kModelSpaceInterface[] = "org.veskar.Cad.ModelSpace";
inline constexpr char kTextInterface[] = "org.veskar.Cad.Text";
inline constexpr char kPolylineInterface[] = "org.veskar.Cad.LightWeightPolyline";
inline constexpr char kLineInterface[] = "org.veskar.Cad.Line";
inline constexpr char kLayersInterface[] = "org.veskar.Cad.Layers";
inline constexpr char kLayerInterface[] = "org.veskar.Cad.Layer";
inline constexpr char kPropertiesInterface[] = "org.freedesktop.DBus.Properties";
inline constexpr char kErrorPrefix[] = "org.veskar.Cad.Error.";

// The program that owns kServiceName, and the argument that starts it for automation (its
// window stays hidden until Visible is set).
inline constexpr char kProgramName[] = "veskar-cad";
inline constexpr char kAutomationArgument[] = "--automation";

// One operation of a batch.
struct BusOp {
  QString target;     // object path, or "$k"
  QString member;     // method name, or "Get" / "Set"
  QVariantList args;  // sent as av
};

// Registers BusOp and QList<BusOp> with the D-Bus type system. Call once per process before
// sending or receiving a batch (idempotent).
void registerBusTypes();

// D-Bus error name for an automation error number ("org.veskar.Cad.Error.NoDocument") and
// back; an unknown name gives Fail, except the bus's own names for a peer that went away,
// which give Disconnected.
QString errorName(std::int32_t number);
std::int32_t errorNumber(const QString& dbusErrorName);

// A value received inside a variant, in the form the automation objects take: arrays of
// numbers as QList<double>, nested variants unwrapped, other arrays as QVariantList.
QVariant fromWire(const QVariant& v);

}  // namespace veskar::cad::bus

Q_DECLARE_METATYPE(veskar::cad::bus::BusOp)

QDBusArgument& operator<<(QDBusArgument& arg, const veskar::cad::bus::BusOp& op);
const QDBusArgument& operator>>(const QDBusArgument& arg, veskar::cad::bus::BusOp& op);
