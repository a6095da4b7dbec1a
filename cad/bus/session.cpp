#include "cad/bus/session.h"

#include <QMetaObject>

#include "cad/inprocess.h"

namespace veskar::cad::bus {

CadSession::CadSession(QObject* parent) : QObject(parent) {}

int CadSession::newDocument() {
  const int id = nextId_++;
  Document d;
  d.id = id;
  d.doc = makeInProcessDocument("Drawing" + std::to_string(id) + ".dxf");
  setChangeObserver(*d.doc, [this, id] { noteChange(id); });
  documents_.emplace(id, std::move(d));
  active_ = id;
  emit activeDocumentChanged();
  emit captionChanged();
  return id;
}

CadSession::Document* CadSession::active() { return active_ ? document(active_) : nullptr; }

const CadSession::Document* CadSession::active() const {
  const auto it = documents_.find(active_);
  return it == documents_.end() ? nullptr : &it->second;
}

CadSession::Document* CadSession::document(int id) {
  const auto it = documents_.find(id);
  return it == documents_.end() ? nullptr : &it->second;
}

std::vector<const CadSession::Document*> CadSession::openDocuments() const {
  std::vector<const Document*> out;
  for (const auto& [id, d] : documents_) {
    if (!d.closed) out.push_back(&d);
  }
  return out;
}

const DrawingData* CadSession::activeDrawing() const {
  const Document* d = active();
  return d ? drawingOf(*d->doc) : nullptr;
}

void CadSession::closeDocument(int id) {
  Document* d = document(id);
  if (!d || d->closed) return;
  d->doc->Close();
  d->closed = true;
  d->modified = false;
  if (active_ == id) {
    active_ = 0;
    for (const auto& [otherId, other] : documents_) {
      if (!other.closed) active_ = otherId;  // ids grow: the last open one is the newest
    }
    emit activeDocumentChanged();
    emit captionChanged();
  }
}

void CadSession::saveDocument(int id, const QString& path) {
  Document* d = document(id);
  if (!d) throw CadError(errc::NotFound, "There is no such drawing.");
  d->doc->SaveAs(path.toStdString());
  d->filePath = path;
  d->modified = false;
  emit captionChanged();  // the drawing may take the file's name
  emit drawingChanged();
}

QString CadSession::applicationName() { return QStringLiteral("Veskar CAD"); }

QString CadSession::caption() const {
  const Document* d = active();
  if (!d) return applicationName();
  QString name;
  try {
    name = QString::fromStdString(toText(d->doc->Get("Name"), "Name"));
  } catch (const CadError&) {
    return applicationName();
  }
  return name + QStringLiteral(" - ") + applicationName();
}

void CadSession::setVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  emit visibleChanged(visible);
}

void CadSession::noteChange(int id) {
  if (Document* d = document(id)) d->modified = true;
  if (changePending_) return;
  changePending_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        changePending_ = false;
        emit drawingChanged();
      },
      Qt::QueuedConnection);
}

}  // namespace veskar::cad::bus
