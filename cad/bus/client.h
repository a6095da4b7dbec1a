// The automation surface of cad/automation.h over the session bus, as a client of veskar-cad.
//
// A call per member would cost a bus round trip each (a few thousand a second), so the client
// queues operations and sends them as one Batch: adding an entity, fetching the active drawing
// or its model space, and setting properties all queue; an object they give is named in later
// operations of the same batch by its position ("$k"). The queue is sent when a value is read
// (Get), when the caller asks for it (Flush), by SaveAs, Close and Activate, and whenever it
// reaches its size limit. The application runs the operations in order and stops at the first
// failure, so the drawing holds exactly what came before the failing operation.
//
// A full queue is sent without waiting, and the next batch is built meanwhile; it is sent only
// once the one before has succeeded, so never more than one batch is on its way and nothing
// runs after a failure. The failure is thrown from the call that learns of it (at the latest
// the next Flush or read), and objects the failed batch would have given, and everything
// queued since, refuse every later use with the same error.
#pragma once

#include <QDBusConnection>
#include <QString>
#include <cstddef>
#include <memory>

#include "cad/automation.h"

namespace veskar::cad::bus {

// Operations sent per batch at most.
inline constexpr std::size_t kDefaultBatchLimit = 8192;

// The application object of the veskar-cad owning `service` (best its unique name, so that a
// restarted application is not mistaken for this one) on `connection`. Makes no call itself.
std::shared_ptr<CadApplication> makeBusApplication(QDBusConnection connection, const QString& service,
                                                   std::size_t batchLimit = kDefaultBatchLimit);

}  // namespace veskar::cad::bus
