// The key colour of a 24-bit picture with transparent pixels: a colour that no other pixel
// of the picture has, named in the "TKEY" trailer behind the rows (the 24-bit counterpart
// of an 8-bit picture's "TIDX" index). The trailer travels with the block (copies, undo,
// the clipboard); a colour reduction turns the key pixels into the transparent entry.
#pragma once

#include <cstdint>
#include <optional>

#include "document/packed_dib.h"

namespace zel {

// Colours are COLORREF values (0x00BBGGRR), as the document's background colour.
constexpr uint32_t PixelColour(const uint8_t* bgr) {
  return uint32_t{bgr[0]} << 16 | uint32_t{bgr[1]} << 8 | bgr[2];
}

// The key colour of a 24-bit picture carrying the trailer; nothing otherwise.
std::optional<uint32_t> ReadColourKey(const PackedDib& picture);
// Writes the trailer into the spare bytes of a 24-bit picture; false when there is no room.
bool WriteColourKey(PackedDib& picture, uint32_t key);
// Removes the trailer (the bytes become zero again).
void ClearColourKey(PackedDib& picture);

// Makes `colour` the key of a keyed 24-bit picture when no other pixel has it, repainting
// the key pixels, so that they show in that colour. True when the picture changed.
bool MoveColourKey(PackedDib& picture, uint32_t colour);

}  // namespace zel
