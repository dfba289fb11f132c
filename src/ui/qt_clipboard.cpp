#include "ui/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <cstring>

namespace zel {
namespace {

constexpr const char* kBmpMimeType = "image/bmp";
constexpr int kBmpFileHeaderSize = 14;

}  // namespace

PackedDib PackedDibFromBmpBytes(const QByteArray& bytes) {
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
  size_t size = static_cast<size_t>(bytes.size());
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') {
    if (size < kBmpFileHeaderSize) return {};
    data += kBmpFileHeaderSize;
    size -= kBmpFileHeaderSize;
  }
  if (size < kDibHeaderSize || ReadLe32(data) != kDibHeaderSize) return {};
  const int32_t width = static_cast<int32_t>(ReadLe32(data + 4));
  const int32_t height = static_cast<int32_t>(ReadLe32(data + 8));
  const uint16_t bitCount = ReadLe16(data + 14);
  const uint32_t compression = ReadLe32(data + 16);
  if (width <= 0 || height <= 0 || compression != 0) return {};
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32) {
    return {};
  }
  const size_t colors = ColorTableSize(data);
  const size_t stride = RowStride(bitCount, width);
  const size_t offset = kDibHeaderSize + 4 * colors;
  if (colors > 256 || offset > size || (size - offset) / stride < static_cast<size_t>(height)) {
    return {};
  }
  PackedDib picture = PackedDib::Allocate(size + kDibSpareBytes);
  if (!picture) return {};
  std::memcpy(picture.data(), data, size);
  return picture;
}

PackedDib PackedDibFromImage(const QImage& image) {
  if (image.isNull()) return {};
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
  if (mime->hasFormat(kBmpMimeType)) {
    PackedDib picture = PackedDibFromBmpBytes(mime->data(kBmpMimeType));
    if (picture) return picture;
  }
  if (mime->hasImage()) return PackedDibFromImage(qvariant_cast<QImage>(mime->imageData()));
  return {};
}

bool QtClipboard::HasPicture() const {
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  return mime && (mime->hasFormat(kBmpMimeType) || mime->hasImage());
}

}  // namespace zel
