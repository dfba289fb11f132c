// Reading JPEG files into 24-bit packed pictures through libjpeg, and the size-only query.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "document/packed_dib.h"

namespace zel {

// Result codes of the JPEG reader. Errors raised inside libjpeg (corrupt data, unsupported
// features, the library's memory limit) come back as kJpegLibraryError - the library's
// message code, so they run from -100 downwards.
enum JpegReadResult : int {
  kJpegReadOk = 0,
  kJpegCannotRead = -1,  // cannot open or read the file, or shorter than 5 bytes
  kJpegNoMemory = -6,    // no memory for the result picture
  // The declared picture is larger than the program accepts: pixel rows beyond the memory
  // budget (PictureMemoryBudget), or far more pixels than any JPEG coding packs into a file of this
  // length.
  kJpegTooLarge = -7,
  kJpegTooManyScans = -8,       // more than 1000 scans: each one passes over the whole picture
  kJpegUnsupportedColor = -50,  // output colour space neither grayscale nor RGB (CMYK...)
  kJpegLibraryError = -100,
};

// The reader's code for an error the library raised with `messageCode`.
constexpr int JpegReadLibraryCode(int messageCode) {
  return kJpegLibraryError - messageCode;
}

// Inverse transform methods: fast integer, floating point; anything else is the accurate
// integer transform.
constexpr int kJpegTransformFast = 1;
constexpr int kJpegTransformFloat = 2;

// Progress of a decoding: the values a progress window receives as wParam and lParam.
// Called each time the library asks for more input, with wParam 0 and lParam the
// percentage of the file consumed + 100 x 65536. Must not throw.
using JpegProgress = std::function<void(uint32_t wParam, uint32_t lParam)>;

// Decodes a JPEG file into a 24-bit bottom-up picture (blue, green, red; rows padded to 4
// bytes). Grayscale files fill all three bytes of a pixel with the sample. The resolution
// fields hold the JFIF densities x 100 when the density unit is dots per centimetre, else 0.
// A file cut off in its scan data still gives the whole picture. Returns 0 or a
// JpegReadResult code and leaves `out` null on failure. `progress` may be empty.
int ReadJpegFile(PackedDib& out, const std::string& path, int transformMethod,
                 const JpegProgress& progress);
int ReadJpegData(PackedDib& out, const uint8_t* data, size_t size, int transformMethod,
                 const JpegProgress& progress);

// The picture size from the frame header as (height x 65536) + width, without decoding
// pixels or allocating a picture; a negative JpegReadResult code when it cannot be read.
int64_t ReadJpegFileSize(const std::string& path);
int64_t ReadJpegDataSize(const uint8_t* data, size_t size);

}  // namespace zel
