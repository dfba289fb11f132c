// The system clipboard through Qt. Copying offers the picture as BMP bytes ("image/bmp",
// with the "TIDX" trailer or a whole animation as a frame bitmap) and as a plain image for
// other programs. Pasting takes an "image/bmp" offer, then an "image/png" one, through the
// core's readers, and any other image Qt reads (a 24-bit picture; with see-through pixels
// a GIF can hold, the picture keeps them).
#pragma once

#include <QImage>
#include <cstdint>
#include <vector>

#include "imagefiles/picture_clipboard.h"

namespace zel {

// The picture of a QImage: 24-bit, or with wholly transparent pixels (and the others wholly
// opaque) the picture PictureFromBinaryAlpha makes; null for a null image.
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
