// Icon files: one 32 x 32 picture with 256 colours and its transparency mask.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "document/packed_dib.h"

namespace zel {

// Size of every icon file the program writes.
constexpr size_t kIconFileSize = 2238;

// The icon file of a 32 x 32 8-bit picture: the colour bits as stored (bottom row first)
// and a mask whose bits are set where a pixel equals `transparentIndex` (none when it is
// outside 0..255). Empty for any other picture.
std::vector<uint8_t> BuildIconFile(const PackedDib& image, int32_t transparentIndex);
// Writes the file atomically. False when the picture is not 32 x 32 with 8 bits or the
// file cannot be written.
bool WriteIconFile(const PackedDib& image, const std::string& path, int32_t transparentIndex);

}  // namespace zel
