#include "ui/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImageReader>
#include <QMimeData>
#include <cstring>

#include "imagefiles/binary_alpha.h"
#include "integration/clipboard_picture.h"

namespace zel {
namespace {

// The first offered image type Qt can read ("image/png", "image/jpeg", ...), or "".
QString ReadableImageType(const QMimeData& mime) {
  const QList<QByteArray> readable = QImageReader::supportedMimeTypes();
  for (const QString& format : mime.formats()) {
    if (format.startsWith(QLatin1String("image/")) && readable.contains(format.toLatin1())) {
      return format;
    }
  }
  return {};
}

}  // namespace

PackedDib PackedDibFromImage(const QImage& image) {
  if (image.isNull()) return {};
  if (image.hasAlphaChannel()) {
    // Wholly transparent and wholly opaque pixels only: kept as a GIF keeps them.
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    const auto* bits = reinterpret_cast<const uint8_t*>(argb.constBits());
    const auto stride = static_cast<size_t>(argb.bytesPerLine());
    if (ClassifyAlpha(bits, stride, argb.width(), argb.height()) == AlphaShape::kBinary) {
      if (PackedDib picture = PictureFromBinaryAlpha(bits, stride, argb.width(), argb.height(),
                                                     0xFFFFFF)) {
        return picture;
      }
    }
  }
  QImage rgb = image.convertToFormat(QImage::Format_BGR888);
  PackedDib picture = NewPicture(rgb.width(), rgb.height(), 24, 0);
  if (!picture) return {};
  const size_t rowBytes = static_cast<size_t>(rgb.width()) * 3;
  for (int y = 0; y < rgb.height(); ++y) {
    std::memcpy(picture.Row(y), rgb.constScanLine(y), rowBytes);
  }
  return picture;
}

PackedDib QtClipboard::ReadPicture() {
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  if (!mime) return {};
  if (mime->hasFormat(kClipboardBmpType)) {
    const QByteArray bytes = mime->data(kClipboardBmpType);
    PackedDib picture = PictureFromClipboardBmp(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                                static_cast<size_t>(bytes.size()));
    if (picture) return picture;
  }
  // PNG bytes through the program's own reader, which keeps their transparency.
  if (mime->hasFormat(kClipboardPngType)) {
    const QByteArray bytes = mime->data(kClipboardPngType);
    PackedDib picture = PictureFromClipboardPng(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                                static_cast<size_t>(bytes.size()));
    if (picture) return picture;
  }
  // Any other image (or a BMP form the reader does not take) as Qt decodes it.
  if (mime->hasImage()) return PackedDibFromImage(qvariant_cast<QImage>(mime->imageData()));
  const QString type = ReadableImageType(*mime);
  if (type.isEmpty()) return {};
  return PackedDibFromImage(QImage::fromData(mime->data(type)));
}

bool QtClipboard::HasPicture() const {
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  return mime && (mime->hasFormat(kClipboardBmpType) || mime->hasImage() ||
                  !ReadableImageType(*mime).isEmpty());
}

void QtClipboard::Offer(const std::vector<uint8_t>& bmpBytes, const QImage& image) {
  auto* mime = new QMimeData;
  mime->setData(kClipboardBmpType, QByteArray(reinterpret_cast<const char*>(bmpBytes.data()),
                                              static_cast<qsizetype>(bmpBytes.size())));
  if (!image.isNull()) mime->setImageData(image);
  QGuiApplication::clipboard()->setMimeData(mime);
}

}  // namespace zel
