// BMP files: reading every common form into a packed picture, and writing one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/packed_dib.h"
#include "imagefiles/picture_size.h"

namespace zel {

enum BmpReadResult : int {
  kBmpReadOk = 0,
  kBmpCannotRead = -1,   // cannot open or read; truncated
  kBmpUnsupported = -3,  // header size, bit count or compression the program does not read
  kBmpNoMemory = -6,
  kBmpTooLarge = -7,  // the picture would take more memory than the budget allows
};

// Spare bytes behind the rows of a picture read from a BMP file.
constexpr size_t kBmpSpareBytes = 64;

// Reads a BMP file (with or without its 14-byte file header) into an 1-, 4-, 8- or 24-bit
// packed picture with a 40-byte header; 16- and 32-bit pixels become 24-bit.
int ReadBmpFile(PackedDib& out, const std::string& path);
int ReadBmpData(PackedDib& out, const uint8_t* data, size_t size);
// The size of a BMP file's picture from its headers alone (a top-down picture counts its
// rows as positive); nothing when the headers cannot be read or give no picture.
std::optional<PictureSize> ReadBmpFileSize(const std::string& path);

// The file form of a picture: a file header, then the whole block unchanged (its image
// size field set to 0).
std::vector<uint8_t> BuildBmpFile(const PackedDib& image);
// Writes the file atomically. False when it cannot be written; the picture stays as it was.
bool WriteBmpFile(const PackedDib& image, const std::string& path);

}  // namespace zel
