#pragma once
// Composing map backgrounds from tile services, and finding places by address.

#include <QImage>
#include <QObject>
#include <QString>
#include <vector>

#include "ORV.Mapping.h"

class QNetworkAccessManager;
class QNetworkReply;

namespace Orv::Fmx {

class TPlanoraFMX;

// One composition: fetches the tiles of the document's prepared map request (from the tile
// cache where it can), draws them into a white picture, marks the centre if asked, adds the
// service's credit line and writes the picture as a PNG file. Runs on the thread that starts
// it, driven by that thread's event loop; the first failing tile ends it and no file is
// written.
class TMapComposer : public QObject {
  Q_OBJECT
 public:
  TMapComposer(TPlanoraFMX& doc, const QString& fileName);
  ~TMapComposer() override;
  void Start();
  bool IsFinished() const { return fFinished; }
  // Empty when the map was written.
  QString Error() const { return fError; }

 signals:
  void Finished();

 private:
  void Pump();
  void Request(int i);
  void Arrived(int i, QNetworkReply* reply);
  // Draws tile i; false (with fError set) when its bytes are no picture.
  bool Place(int i, const QByteArray& bytes, bool fromCache);
  void Fail(int i, const QString& why);
  void Complete();
  void End();

  TPlanoraFMX& fDoc;
  QString fFileName;
  int fProvider = 0;
  bool fShowCenter = false;
  std::vector<TPLNMapTile> fTiles;
  std::vector<QString> fCachePaths;  // empty where the cache is off
  std::vector<bool> fDone;           // placed, or nothing to fetch
  QImage fImage;
  QNetworkAccessManager* fNet = nullptr;
  std::vector<QNetworkReply*> fReplies;  // in flight, by tile
  int fNext = 0, fPending = 0, fPlaced = 0;
  bool fFinished = false;
  QString fError;
};

// Draws the credit line of a map service at the bottom right of a composed map.
void DrawAttribution(QImage& map, const QString& text);

}  // namespace Orv::Fmx
