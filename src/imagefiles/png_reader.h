// Reading PNG files through libpng into 8-bit palette or 24-bit packed pictures, and the
// size-only query.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "document/packed_dib.h"
#include "imagefiles/picture_size.h"

namespace zel {

enum PngReadResult : int {
  kPngReadOk = 0,
  // Cannot open or read the file, not a PNG file, or libpng reported an error (bad chunk,
  // bad CRC, corrupt or missing image data, file cut off anywhere before the last row).
  kPngCannotRead = -1,
  kPngUnsupportedDepth = -3,  // the delivered pixels are neither 8 nor 24 bits
  kPngEmpty = -4,             // width or height below 1
  kPngNoMemory = -6,          // no memory for libpng's structures or the result picture
  // The declared picture is larger than the program accepts: 24-bit rows beyond the memory
  // budget (PictureMemoryBudget), or far more pixel bytes than the file's compressed data
  // can hold.
  kPngTooLarge = -7,
};

// Progress of a decoding: the values a progress window receives as wParam and lParam.
// Called after each decoded row with wParam 0 and lParam (row x 100 / height) + 100 x 65536,
// where row counts from 1 (within the pass for interlaced files). Must not throw.
using PngProgress = std::function<void(uint32_t wParam, uint32_t lParam)>;

// Decodes a PNG file into a bottom-up packed picture:
// - palette files give an 8-bit picture with the file's palette (transparent entries mixed
//   with the background), grayscale files (with or without alpha) an 8-bit picture with
//   the plain gray ramp of 2, 4, 16 or 256 entries for 1-, 2-, 4- and 8/16-bit files;
// - RGB files (with or without alpha) give a 24-bit picture (blue, green, red);
// - 16-bit samples are cut to 8 bits; alpha and tRNS transparency are flattened onto the
//   file's bKGD colour, or white when it has none;
// - samples are delivered as stored when the file has no gAMA chunk, an sRGB chunk or
//   gamma 1/2.2; a file declaring another gamma is corrected for a display gamma of 2.2.
// Returns 0 or a PngReadResult code and leaves `out` null on failure. `progress` may be
// empty.
int ReadPngFile(PackedDib& out, const std::string& path, const PngProgress& progress);
int ReadPngData(PackedDib& out, const uint8_t* data, size_t size, const PngProgress& progress);

// The picture size from the header chunks, reading the file only up to its image data:
// 0 with `size` filled, or a PngReadResult code when it cannot be read.
int ReadPngFileSize(const std::string& path, PictureSize* size);
int ReadPngDataSize(const uint8_t* data, size_t size, PictureSize* pictureSize);

}  // namespace zel
