// For tests that write DXF files: ezdxf's reading of a file (dxf_readback.py, run with
// /usr/bin/python3), and the check that its audit found nothing. The test target defines
// VESKAR_DXF_READBACK as the script's path.
#pragma once

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>

namespace veskar::cad::testing {

// What the reader found in `path`: its audit and the entities, as JSON.
inline QJsonObject readBack(const QString& path) {
  QProcess p;
  p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(VESKAR_DXF_READBACK), path});
  if (!p.waitForFinished(60000) || p.exitCode() != 0) {
    ADD_FAILURE() << "the reader failed on " << path.toStdString() << ": " << p.readAllStandardError().toStdString();
    return {};
  }
  return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

inline void expectCleanAudit(const QJsonObject& r) {
  const QJsonObject audit = r[QStringLiteral("audit")].toObject();
  EXPECT_TRUE(audit[QStringLiteral("errors")].toArray().isEmpty()) << QJsonDocument(audit).toJson().toStdString();
  EXPECT_TRUE(audit[QStringLiteral("fixes")].toArray().isEmpty()) << QJsonDocument(audit).toJson().toStdString();
}

}  // namespace veskar::cad::testing
