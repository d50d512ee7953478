// GIF writing through giflib: Qt reads GIF but cannot write it.
#pragma once

#include <QImage>
#include <QString>
#include <QVector>

class QIODevice;

namespace Orv::Canvas {

// At most 256 colours for `image` (alpha ignored): every colour when there are no more than that,
// otherwise a median cut of the colour histogram. The same image always gives the same palette.
QVector<QRgb> GifPalette(const QImage& image);

// Writes `image` as a single-frame opaque GIF onto `out`, which must be open for writing.
// False on failure, with the reason in `error` when given.
bool WriteGif(const QImage& image, QIODevice* out, QString* error = nullptr);

}  // namespace Orv::Canvas
