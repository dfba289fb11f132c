// The system clipboard through Qt: a "image/bmp" offer is taken as a device-independent
// bitmap; any other image becomes a 24-bit picture.
#pragma once

#include <QByteArray>
#include <QImage>

#include "imagefiles/picture_clipboard.h"

namespace zel {

// A picture from the bytes of a BMP file or a bare device-independent bitmap (40-byte
// header, 1, 4, 8, 24 or 32 bits, uncompressed, rows complete). Null for anything else.
PackedDib PackedDibFromBmpBytes(const QByteArray& bytes);
// A 24-bit picture of a QImage; null for a null image.
PackedDib PackedDibFromImage(const QImage& image);

class QtClipboard : public PictureClipboard {
 public:
  PackedDib ReadPicture() override;
  // Whether the clipboard offers a picture at all (no conversion).
  bool HasPicture() const;
};

}  // namespace zel
