// The system clipboard through Qt. Copying offers the picture as BMP bytes ("image/bmp",
// with the "TIDX" trailer or a whole animation as a frame bitmap) and as a plain image for
// other programs. Pasting takes an "image/bmp" offer through the core's reader and any
// other image Qt reads as a 24-bit picture.
#pragma once

#include <QImage>
#include <cstdint>
#include <vector>

#include "imagefiles/picture_clipboard.h"

namespace zel {

// A 24-bit picture of a QImage; null for a null image.
PackedDib PackedDibFromImage(const QImage& image);

class QtClipboard : public PictureClipboard {
 public:
  PackedDib ReadPicture() override;
  // Whether the clipboard offers a picture at all (no conversion).
  bool HasPicture() const;
  // Puts the BMP bytes and, when not null, the plain image on the clipboard.
  void Offer(const std::vector<uint8_t>& bmpBytes, const QImage& image);
};

}  // namespace zel
