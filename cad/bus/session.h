// The drawings open in the drawing application, and the application-wide state the bus and
// the window share: which drawing is active, whether the window is visible, the caption.
#pragma once

#include <QObject>
#include <QString>
#include <map>
#include <memory>
#include <vector>

#include "cad/automation.h"
#include "cad/drawing.h"

namespace veskar::cad::bus {

class CadSession : public QObject {
  Q_OBJECT
 public:
  struct Document {
    int id = 0;
    std::shared_ptr<CadDocument> doc;
    QString filePath;       // where Save writes; empty until saved once
    bool modified = false;  // changed since opened or last saved
    bool closed = false;
  };

  explicit CadSession(QObject* parent = nullptr);

  // Opens a new empty drawing "Drawing<n>.dxf" and makes it the active one; returns its id.
  int newDocument();
  // The active drawing, nullptr when none is open.
  Document* active();
  const Document* active() const;
  // A drawing by id, open or closed (closed ones refuse everything); nullptr when unknown.
  Document* document(int id);
  std::vector<const Document*> openDocuments() const;
  // The drawing data of the active drawing; nullptr when none is open.
  const DrawingData* activeDrawing() const;

  // Closes drawing `id` without saving; the most recently opened of the others becomes
  // active. The in-process document's own Close() decides the meaning.
  void closeDocument(int id);
  // Writes drawing `id` as DXF; remembers the path and clears `modified`. Throws CadError.
  void saveDocument(int id, const QString& path);

  // "<drawing name> - Veskar CAD", or "Veskar CAD" when no drawing is open.
  QString caption() const;
  static QString applicationName();

  bool visible() const { return visible_; }
  void setVisible(bool visible);
  void requestActivate() { emit activateRequested(); }
  void requestQuit() { emit quitRequested(); }

 signals:
  void activeDocumentChanged();
  // Entities, styles or properties of a drawing changed; coalesced, delivered from the
  // event loop after the change (one signal per burst of changes).
  void drawingChanged();
  void captionChanged();
  void visibleChanged(bool visible);
  void activateRequested();
  void quitRequested();

 private:
  void noteChange(int id);

  std::map<int, Document> documents_;
  int active_ = 0;  // 0: none
  int nextId_ = 1;
  bool visible_ = false;
  bool changePending_ = false;
};

}  // namespace veskar::cad::bus
