// Writing 8- and 24-bit packed pictures as JPEG files through libjpeg, with the program's
// fixed settings and a chosen quality.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/packed_dib.h"

namespace zel {

// Result codes of the JPEG writer. Errors raised inside libjpeg come back as
// kJpegWriteLibraryError + the library's message code, so they run from 100 upwards.
enum JpegWriteResult : int {
  kJpegWriteOk = 0,
  kJpegCannotWrite = -1,  // the file cannot be written
  kJpegBadPicture = -2,   // no picture, or its block is too short for its header
  kJpegBadDepth = 13,     // bit count other than 8 or 24
  kJpegTooManyColors = 14,
  kJpegBadPlanes = 15,
  kJpegCompressed = 16,
  kJpegWriteLibraryError = 100,
};

// The writer's code for an error the library raised with `messageCode`.
constexpr int JpegWriteLibraryCode(int messageCode) {
  return kJpegWriteLibraryError + messageCode;
}

// The bytes every file written by the program carries behind its end-of-image marker.
inline constexpr uint8_t kJpegTrailer[4] = {'x', '-', 'Q', 'B'};

// The JPEG file of a picture: JFIF 1.01 without density, YCbCr with the luminance sampled
// 2 x 2 and both chrominance components 1 x 1, the example quantisation tables of the JPEG
// standard scaled by `quality` (any value; 30..100 in practice), its standard Huffman
// tables, one baseline scan, then the trailer. An 8-bit picture is encoded through its
// colour table (indices beyond the table give black). Returns 0 or a JpegWriteResult code.
int BuildJpegData(const PackedDib& image, int quality, std::vector<uint8_t>& out);

// Writes the file atomically: on any failure an existing file stays as it was.
int WriteJpegFile(const PackedDib& image, const std::string& path, int quality);

// The percentage by which the base quantisation tables are scaled for `quality`.
int JpegQualityScale(int quality);

}  // namespace zel
