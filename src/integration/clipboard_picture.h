// The document on the system clipboard as a BMP file ("image/bmp"): a picture as itself, an
// 8-bit picture with its transparent index in the "TIDX" trailer behind its rows, a whole
// animation as a frame bitmap. Built in memory; no file is involved.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "document/document_state.h"
#include "imagefiles/picture_clipboard.h"

namespace zel {

inline constexpr char kClipboardBmpType[] = "image/bmp";

// The BMP bytes to offer for the open document: the file header, then the packed picture
// as the program reads such a file back (its image size filled in, 64 spare bytes, the
// trailer among them when there is one). No value when nothing is open or it cannot be
// built. The busy bit is set while an animation's frames are read.
std::optional<std::vector<uint8_t>> BuildClipboardBmp(DocumentState& doc);

// A picture from BMP bytes offered on the clipboard (with or without the file header; any
// form the BMP reader takes). An 8-bit picture keeps a "TIDX" trailer (a 24-bit one a
// "TKEY" trailer) only when it lies wholly inside the bytes, right behind the rows; the
// loader checks the index against the table. Null for anything that is not a whole picture.
PackedDib PictureFromClipboardBmp(const uint8_t* data, size_t size);

// A picture from PNG bytes offered on the clipboard ("image/png"), read as a PNG file is:
// transparency a GIF can hold comes as the "TIDX" index of an 8-bit picture or the "TKEY"
// colour of a 24-bit one. Null when the bytes are not a readable PNG.
PackedDib PictureFromClipboardPng(const uint8_t* data, size_t size);
inline constexpr char kClipboardPngType[] = "image/png";

// A clipboard that holds the given BMP bytes, for the loader's paste mode.
class BmpBytesClipboard : public PictureClipboard {
 public:
  explicit BmpBytesClipboard(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  PackedDib ReadPicture() override { return PictureFromClipboardBmp(bytes_.data(), bytes_.size()); }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace zel
