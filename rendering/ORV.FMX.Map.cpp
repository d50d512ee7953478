#include "ORV.FMX.Map.h"

#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPainter>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>
#include <QUrlQuery>

#include "ORV.FMX.OutputFile.h"
#include "ORV.FMX.SelMap.h"
#include "ORV.Utils.h"
#include "ORV.FMX.h"

#ifndef PLANORA_VERSION
#define PLANORA_VERSION "0"
#endif

namespace Orv::Fmx {

namespace {

// Tile services ask every client to say who it is.
const QByteArray kUserAgent = QByteArrayLiteral("Planora/" PLANORA_VERSION " (map backgrounds)");

QNetworkRequest MakeRequest(const QUrl& url, int timeoutMs) {
  QNetworkRequest req(url);
  req.setHeader(QNetworkRequest::UserAgentHeader, kUserAgent);
  req.setTransferTimeout(timeoutMs);
  return req;
}

// Why a reply carries no answer, or an empty text when it answered (whatever its status).
QString TransportError(QNetworkReply* reply, int timeoutMs) {
  if (reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()) return {};
  if (reply->error() == QNetworkReply::OperationCanceledError)
    return QStringLiteral("no answer within %1 s").arg(timeoutMs / 1000.0);
  return reply->errorString();
}

bool FreshEnough(const QString& path, std::int64_t maxAge) {
  const QFileInfo fi(path);
  return fi.exists() && fi.lastModified().secsTo(QDateTime::currentDateTime()) <= maxAge;
}

}  // namespace

void DrawAttribution(QImage& map, const QString& text) {
  if (text.isEmpty() || map.isNull()) return;
  QPainter p(&map);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(std::max(9, std::min(12, map.height() / 40)));
  p.setFont(font);
  const QFontMetrics fm(font);
  const int pad = 3;
  const int textWidth = fm.horizontalAdvance(text) + 2;  // slack: advances round down
  const int w = std::min(map.width(), textWidth + 2 * pad);
  const int h = fm.height() + 2;
  const QRect box(map.width() - w, map.height() - h, w, h);
  // A pale band keeps the credit legible on dark and busy maps alike.
  p.fillRect(box, QColor(255, 255, 255, 200));
  p.setPen(QColor(40, 40, 40));
  p.drawText(box.adjusted(pad, 0, -pad, 0), Qt::AlignVCenter | Qt::AlignRight, 
             textWidth <= w - 2 * pad ? text : fm.elidedText(text, Qt::ElideLeft, w - 2 * pad));
}

TMapComposer::TMapComposer(TPlanoraFMX& doc, const QString& fileName) : fDoc(doc), fFileName(fileName) {
  const TPLNMapping& m = doc.Mapping();
  fProvider = m.GetProvider();
  fShowCenter = m.GetShowCenter();
  fTiles.reserve(static_cast<size_t>(m.GetNumTiles()));
  for (int i = 0; i < m.GetNumTiles(); ++i) {
    fTiles.push_back(m.GetTile(i));
    fCachePaths.push_back(m.CachedTilePath(m.GetTile(i)));
  }
  fReplies.assign(fTiles.size(), nullptr);
  fDone.assign(fTiles.size(), false);
  fImage = QImage(m.GetWidth(), m.GetHeight(), QImage::Format_RGB32);
  fImage.fill(Qt::white);
}

TMapComposer::~TMapComposer() {
  for (QNetworkReply* r : fReplies)
    if (r) {
      r->disconnect(this);
      r->abort();
      r->deleteLater();
    }
}

void TMapComposer::Start() {
  const TPLNMapping& m = fDoc.Mapping();
  // Tiles in the cache are drawn at once; only the others go to the network.
  for (size_t i = 0; i < fTiles.size(); ++i) {
    const QString& path = fCachePaths[i];
    if (fTiles[i].Url.isEmpty()) {
      fDone[i] = true;
      ++fPlaced;
    } else if (!path.isEmpty() && FreshEnough(path, m.GetCacheMaxAge())) {
      QFile f(path);
      fDone[i] = f.open(QIODevice::ReadOnly) && Place(static_cast<int>(i), f.readAll(), true);
    }
  }
  Pump();
}

void TMapComposer::Pump() {
  if (fFinished) return;
  const int limit = std::max(1, fDoc.Mapping().MaxConcurrent);
  while (fPending < limit && fNext < static_cast<int>(fTiles.size())) {
    const int i = fNext++;
    if (!fDone[i]) Request(i);
  }
  if (fPending == 0 && fPlaced == static_cast<int>(fTiles.size())) Complete();
}

void TMapComposer::Request(int i) {
  if (!fNet) fNet = new QNetworkAccessManager(this);
  const int timeout = fDoc.Mapping().TimeoutMs;
  QNetworkReply* reply = fNet->get(MakeRequest(QUrl(fTiles[i].Url), timeout));
  fReplies[i] = reply;
  ++fPending;
  connect(reply, &QNetworkReply::finished, this, [this, i, reply] { Arrived(i, reply); });
}

void TMapComposer::Arrived(int i, QNetworkReply* reply) {
  fReplies[i] = nullptr;
  --fPending;
  reply->deleteLater();
  if (fFinished) return;
  const int timeout = fDoc.Mapping().TimeoutMs;
  const QString transport = TransportError(reply, timeout);
  if (!transport.isEmpty()) return Fail(i, transport);
  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  const QString type = reply->header(QNetworkRequest::ContentTypeHeader).toString().toLower();
  const QByteArray body = reply->readAll();
  if (status != 200)
    return Fail(i, QStringLiteral("Error HTTP %1 to load tile %2: %3").arg(status).arg(i).arg(fTiles[i].Url));
  // Map servers report failures as XML documents with status 200.
  if (type.contains(QLatin1String("xml"))) return Fail(i, QStringLiteral("Error WMS: ") + QString::fromUtf8(body));
  if (!type.contains(QLatin1String("image/")))
    return Fail(i, QStringLiteral("Content-Type not expected: ") + (type.isEmpty() ? QStringLiteral("(none)") : type));
  if (!Place(i, body, false)) return;
  if (!fCachePaths[i].isEmpty() && QDir().mkpath(QFileInfo(fCachePaths[i]).absolutePath())) {
    QSaveFile f(fCachePaths[i]);
    if (f.open(QIODevice::WriteOnly) && f.write(body) == body.size()) f.commit();  // a cache miss is harmless
  }
  Pump();
}

bool TMapComposer::Place(int i, const QByteArray& bytes, bool fromCache) {
  QImage tile;
  if (!tile.loadFromData(bytes)) {
    if (fromCache) return false;  // a damaged cache file is fetched again
    Fail(i, QStringLiteral("Error loading image: the answer is no picture Qt can read (%1 bytes)").arg(bytes.size()));
    return false;
  }
  QPainter(&fImage).drawImage(fTiles[i].X, fTiles[i].Y, tile);
  ++fPlaced;
  return true;
}

void TMapComposer::Fail(int i, const QString& why) {
  fError = QStringLiteral("Error on tile %1: %2 - URL: %3").arg(i).arg(why, fTiles[i].Url);
  End();
}

void TMapComposer::Complete() {
  if (fShowCenter) {
    QPainter p(&fImage);
    p.setPen(QPen(QColor(0xFF, 0, 0), 1));
    const int cx = fImage.width() / 2, cy = fImage.height() / 2;
    p.drawLine(cx - 10, cy, cx + 10, cy);
    p.drawLine(cx, cy - 10, cx, cy + 10);
  }
  DrawAttribution(fImage, TPLNMapping::Attribution(fProvider));
  const QString folder = QFileInfo(fFileName).absolutePath();
  const auto failure = [this](const QString& why) {
    return QStringLiteral("the map cannot be written to %1: %2").arg(fFileName, why);
  };
  if (!QDir().mkpath(folder)) {
    fError = failure(QStringLiteral("cannot create the folder"));
    return End();
  }
  try {
    TOutputFile out(fFileName, failure);
    if (!fImage.save(&out.File(), "PNG")) out.Fail(out.File().errorString());
    out.Commit();
  } catch (const EPLNError& e) {
    fError = e.Message();
  }
  End();
}

void TMapComposer::End() {
  if (fFinished) return;
  fFinished = true;
  for (QNetworkReply*& r : fReplies)
    if (r) {
      r->disconnect(this);
      r->abort();
      r->deleteLater();
      r = nullptr;
    }
  fPending = 0;
  emit Finished();
}

// ---- the host control's map operations

void TPlanoraFMX::ComposeImage(const QString& first, const QString& second, std::int32_t zoom, std::int32_t width,
                               std::int32_t height) {
  fComposer.reset();
  fComposeError.clear();
  TPLNMapping& m = Mapping();
  m.SetZoom(zoom);
  // Coordinates of another reference system become latitude and longitude first; the file is
  // named after them, so one place gives one map whichever way it was written.
  QString lat = first, lon = second;
  double latitude = 0, longitude = 0;
  if (OnGMLCoordinateTransform && OnGMLCoordinateTransform(first, second, latitude, longitude)) {
    lat = QString::number(latitude, 'g', 10);
    lon = QString::number(longitude, 'g', 10);
  }
  if (!m.LoadMap(lat, lon, width, height)) {
    fComposeError = m.LastError();
    GMLMapImageFailed(fComposeError);
    if (OnComposeFailed) OnComposeFailed(*this, fComposeError);
    return;
  }
  const QString folder = ImageFolder.isEmpty() ? DefaultMapFolder() : ImageFolder;
  const QString file = TPLNMapping::MapFileName(folder, lat, lon, m.GetZoom());
  fComposer = std::make_unique<TMapComposer>(*this, file);
  QObject::connect(fComposer.get(), &TMapComposer::Finished, fComposer.get(), [this, file] {
    fComposeError = fComposer->Error();
    if (!fComposeError.isEmpty()) {
      GMLMapImageFailed(fComposeError);
      if (OnComposeFailed) OnComposeFailed(*this, fComposeError);
      return;
    }
    Mapping().SetFileName(file);
    GMLMapImageReady();
    if (OnComposeImage) OnComposeImage(*this);
  });
  fComposer->Start();
}

void TPlanoraFMX::CancelCompose() {
  if (!IsComposing()) return;
  // The composer's destructor aborts its requests without raising Finished.
  fComposer.reset();
  fComposeError = QStringLiteral("the map was cancelled");
}

bool TPlanoraFMX::IsComposing() const { return fComposer && !fComposer->IsFinished(); }

bool TPlanoraFMX::WaitForCompose(QString* error) {
  if (IsComposing()) {
    QEventLoop loop;
    QObject::connect(fComposer.get(), &TMapComposer::Finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    loop.exec();
  }
  if (error) *error = fComposeError;
  return fComposeError.isEmpty();
}

QString TPlanoraFMX::DefaultMapFolder() {
  return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)).filePath(QStringLiteral("planora/maps"));
}

void TPlanoraFMX::UseMapOnLayer(int layer) {
  TPLNLayer* l = GetLayer(layer);
  if (!l) throw EPLNError(QStringLiteral("there is no layer %1 to show the map on").arg(layer));
  const QString file = Mapping().GetFileName();
  if (file.isEmpty() || !QFileInfo(file).isFile()) throw EPLNError(QStringLiteral("no map has been composed yet"));
  Mapping().CopyToLayer(*l);
  PutBackImage(l, layer, file, Opt::MapBackground);
}

void TPlanoraFMX::UseImageOnLayer(int layer, const QString& file) {
  TPLNLayer* l = GetLayer(layer);
  if (!l) throw EPLNError(QStringLiteral("there is no layer %1 to show the picture on").arg(layer));
  QImageReader reader(file);
  if (!reader.canRead())
    throw EPLNError(QStringLiteral("%1: %2").arg(Utils::QuoteForMessage(file), QFileInfo(file).isFile() ? reader.errorString() : QStringLiteral("no such file")));
  // A picture of its own is no map: the map settings stay, unused, for the next map.
  l->Options = static_cast<std::uint16_t>(l->Options & ~Opt::MapBackground);
  PutBackImage(l, layer, file, 0);
}

void TPlanoraFMX::PutBackImage(TPLNLayer* l, int number, const QString& file, std::uint16_t options) {
  // Kept relative to the image folder when it lies there, so the drawing can move with it.
  const QString rel = ImageFolder.isEmpty() ? file : QDir(ImageFolder).relativeFilePath(file);
  l->BackImageFile = rel.startsWith(QLatin1String("..")) ? file : rel;
  l->ImageData.clear();
  l->Options = static_cast<std::uint16_t>((l->Options | Opt::Visible | options | Opt::PrintBackground | Opt::ExportBackground) &
                                          ~(1u << 5));
  SetBackLayer(number);
  SetReloadImage(true);
  SetModified(true);
  NotifyChange(TORChange::Layers);
}

TPLNBaseItem* TPlanoraFMX::AddBaseMapImage(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h,
                                          QWidget* parent, std::shared_ptr<TDialogServices> services) {
  const auto px = [](std::int64_t base) {
    return static_cast<int>(Utils::RoundHalfAway(std::llabs(base) * 96.0 / 25400.0));
  };
  TfSelMap window(parent, std::move(services));
  window.Ini(this, false, px(w), px(h));
  if (window.exec() != QDialog::Accepted) return nullptr;
  const QString file = Mapping().GetFileName();
  if (file.isEmpty() || !QFileInfo(file).isFile()) return nullptr;
  TPLNUndoGroup step(*this);
  return TPLNFactory::AddBaseImage(this, x, y, w, h, file);
}

namespace {

// A GET that blocks (running a local event loop) until the answer, the timeout or an abort
// through `active`, which holds the request while it waits.
QByteArray GetNow(const QUrl& url, int timeoutMs, QString* error, QNetworkReply*& active) {
  QNetworkAccessManager net;
  QNetworkReply* reply = net.get(MakeRequest(url, timeoutMs));
  QEventLoop loop;
  QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
  QNetworkReply* outer = active;  // a search started from inside the wait of another
  active = reply;
  if (!reply->isFinished()) loop.exec();
  active = outer;
  reply->deleteLater();
  const QString transport = TransportError(reply, timeoutMs);
  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  if (!transport.isEmpty()) {
    *error = transport;
    return {};
  }
  if (status != 200) {
    *error = QStringLiteral("HTTP %1").arg(status);
    return {};
  }
  return reply->readAll();
}

// A JSON number, or a number written as text (Nominatim answers "41.38").
bool ReadDegree(const QJsonValue& v, double& out) {
  bool ok = v.isDouble();
  out = ok ? v.toDouble() : v.toString().toDouble(&ok);
  return ok;
}

}  // namespace

bool TPlanoraFMX::GeocodingFromGoogle(const QString& address, double& latitude, double& longitude) {
  QUrl url(Mapping().GoogleGeocodeUrl);
  QUrlQuery q;
  q.addQueryItem(QStringLiteral("address"), address);
  q.addQueryItem(QStringLiteral("key"), Mapping().GetApiKey());
  url.setQuery(q);
  QString error;
  const QByteArray body = GetNow(url, Mapping().TimeoutMs, &error, fGeocodeReply);
  const QJsonValue loc = QJsonDocument::fromJson(body)
                             .object()
                             .value(QStringLiteral("results"))
                             .toArray()
                             .at(0)
                             .toObject()
                             .value(QStringLiteral("geometry"))
                             .toObject()
                             .value(QStringLiteral("location"));
  double lat = 0, lon = 0;
  if (!loc.isObject() || !ReadDegree(loc[QStringLiteral("lat")], lat) || !ReadDegree(loc[QStringLiteral("lng")], lon))
    return false;
  latitude = lat;
  longitude = lon;
  return true;
}

void TPlanoraFMX::AbortGeocoding() {
  if (fGeocodeReply) fGeocodeReply->abort();
}

bool TPlanoraFMX::GeocodingFromNominatim(const QString& address, double& latitude, double& longitude) {
  QUrl url(Mapping().NominatimUrl);
  QUrlQuery q;
  q.addQueryItem(QStringLiteral("q"), address);
  q.addQueryItem(QStringLiteral("format"), QStringLiteral("json"));
  q.addQueryItem(QStringLiteral("limit"), QStringLiteral("1"));
  url.setQuery(q);
  QString error;
  const QByteArray body = GetNow(url, Mapping().TimeoutMs, &error, fGeocodeReply);
  const QJsonObject first = QJsonDocument::fromJson(body).array().at(0).toObject();
  double lat = 0, lon = 0;
  if (!ReadDegree(first.value(QStringLiteral("lat")), lat) || !ReadDegree(first.value(QStringLiteral("lon")), lon))
    return false;
  latitude = lat;
  longitude = lon;
  return true;
}

}  // namespace Orv::Fmx
