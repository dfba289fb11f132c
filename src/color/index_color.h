// Index-colour conversion: the 4096-cell colour reduction, the two palette builders, the
// two pixel mappers (error diffusion and nearest colour), the pure-index conversion, the
// placing of the transparent colour and the way back to full colour.
//
// Every function takes its input by const reference (except AppendTransparentEntry, which
// takes ownership) and gives a new block; a failed precondition (wrong bit count, count
// out of range, null picture, memory short) gives a null PackedDib, an empty palette or
// std::nullopt and leaves the input as it was.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "document/packed_dib.h"

namespace zel {

// A full colour reduced to 4 bits per channel.
struct ColorCell {
  // 4-bit value of a channel: (x + 8) >> 4, 15 from 247 up.
  static constexpr int Value(uint8_t x) { return x >= 248 ? 15 : (x + 8) >> 4; }
};

// Cell code G4 * 256 + R4 * 16 + B4 (0..4095) of a colour.
constexpr int CellCode(uint8_t red, uint8_t green, uint8_t blue) {
  return ColorCell::Value(green) * 256 + ColorCell::Value(red) * 16 + ColorCell::Value(blue);
}
// The colour a palette builder gives a cell: each channel v4 * 16 + 7.
Rgbq CellColor(int code);
// The colour a mapper matches for a cell: each channel v4 * 16 + 8.
Rgbq CellRepresentative(int code);
// Hue sector 0..5 of a cell (green tested before red; grey and black are sector 0).
int HueSector(int code);

// Match distance of palette colour `p` against representative `q`: channel-sum distance
// in bits 16 and up, channel-order flags in bits 8..13, chroma difference in bits 0..7.
uint32_t PaletteMatchDistance(Rgbq p, Rgbq q);

// Palette builders for a 24-bit picture. Empty when the picture is not 24-bit or `n` is
// out of range (16..256 preset, 2..256 weighted). Entries sorted by red + green + blue.
std::vector<Rgbq> BuildPresetPalette(const PackedDib& picture, int n);
std::vector<Rgbq> BuildWeightedPalette(const PackedDib& picture, int n);

// Mappers of a 24-bit picture onto `colors` (1..256 entries): an 8-bit picture whose table
// is `colors`. Null on a bad input.
PackedDib MapWithDiffusion(const PackedDib& picture, const std::vector<Rgbq>& colors);
PackedDib MapNearest(const PackedDib& picture, const std::vector<Rgbq>& colors);

// BuildPresetPalette + MapWithDiffusion; BuildWeightedPalette + MapNearest.
PackedDib QuantizeDiffused(const PackedDib& picture, int n);
PackedDib QuantizeNearest(const PackedDib& picture, int n);

// A converted picture and its transparent index (-1: none).
struct IndexConversion {
  PackedDib picture;
  int32_t transparentIndex = -1;
};

// The kept choices of the colour dialog: colour count 0..7 (2..256 colours), transparent
// corner 0..4 (none, top-left, top-right, bottom-left, bottom-right), no error diffusion.
struct ColorChoices {
  int colorCountIndex = 7;
  int transparentCorner = 0;
  bool noDiffusion = true;
};

// Reduces `current` (24-bit) with the choices and places `transparentColor` (COLORREF
// 0x00BBGGRR). Nullopt on failure; `current` is never changed.
std::optional<IndexConversion> ConvertToIndexColor(const PackedDib& current,
                                                   const ColorChoices& choices,
                                                   uint32_t transparentColor);
// Keeps every colour of a 24-bit picture of at most 255 colours (table sorted by hue,
// value, saturation, all descending). Corner 0: no transparent index.
std::optional<IndexConversion> ConvertToPureIndex(const PackedDib& current, int transparentCorner,
                                                  uint32_t transparentColor);
// True when `current` is 24-bit with at most 255 distinct colours.
bool IsPureIndexPossible(const PackedDib& current);
// Makes entry `index` of `reduced`, an 8-bit reduction of the 24-bit `source`, the
// transparent colour; with `cleanUp` (after error diffusion) pixels whose source colour is
// `cornerKey` become transparent and other pixels the diffusion made transparent take a
// neighbour's index. `index` must lie inside the table.
void PlaceCornerTransparency(const PackedDib& source, PackedDib& reduced, int32_t index,
                             uint32_t cornerKey, uint32_t transparentColor, bool cleanUp);
// Places the transparent colour in an 8-bit picture: a new last entry when the table has
// room, else the first unused entry. Nullopt when every one of 256 entries is used.
std::optional<IndexConversion> AppendTransparentEntry(PackedDib image, uint32_t transparentColor);
// 8-bit -> 24-bit of the same size; a 24-bit picture gives a copy. Null otherwise.
PackedDib ConvertToFullColor(const PackedDib& picture);
// The display copy of a deep picture on a 256-colour screen: QuantizeDiffused with 236.
PackedDib ReduceForPaletteDisplay(const PackedDib& picture);

}  // namespace zel
