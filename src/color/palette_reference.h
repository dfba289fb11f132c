// Mapping a full-colour picture onto the colour table of another image file, so that
// several pictures can share one palette, and the transparency step that conversion shares
// with the ordinary index-colour conversion.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "color/index_color.h"
#include "document/packed_dib.h"
#include "resources/words.h"

namespace zel {

inline constexpr Words kReferenceMissingText{"参照するファイルが見つかりません",
                                             "The file to refer to cannot be found"};
inline constexpr Words kReferenceFailedText{
    "パレット参照に失敗しました\n色数などに問題があります",
    "The palette reference failed\nThe number of colours or something else does not fit"};
inline constexpr Words kReferenceTooManyColorsText{"この画像ファイルは、色数が多すぎます",
                                                   "This picture file has too many colours"};

// The result of a palette reference: a conversion, or the message to show.
struct ReferenceConversion {
  std::optional<IndexConversion> conversion;
  const char* message = nullptr;  // set when `conversion` is empty
};

// The reference palette of an image file: the colour table of its picture (the first frame
// of a GIF file or frame bitmap) without its transparent entry. The type follows the first
// letter of the extension (b, g, p); anything else, or a table of fewer than 8 or more than
// 256 entries, gives nullopt. `frameMax` sizes the frame set a GIF file is read into.
std::optional<std::vector<Rgbq>> ReadReferencePalette(const std::string& path, int frameMax);

// Maps the 24-bit `current` onto the reference palette of the file at `path` with the
// diffusion and transparency choices (the colour count plays no part) and places the
// transparent colour (COLORREF 0x00BBGGRR). `current` is never changed.
ReferenceConversion ReferencePaletteConvert(const PackedDib& current, const std::string& path,
                                            const ColorChoices& choices, uint32_t transparentColor,
                                            int frameMax);

// Places the transparent colour in `mapped`, the 8-bit mapping of `current`: corner 0
// appends it as a spare entry; a corner takes the mapped index at that corner of `current`
// and, with error diffusion, cleans the picture so that only pixels of the corner's source
// colour keep that index where a neighbour can take over. Nullopt when no entry is free.
std::optional<IndexConversion> ApplyTransparencyChoice(PackedDib mapped, const PackedDib& current,
                                                       const ColorChoices& choices,
                                                       uint32_t transparentColor);

// The browse button's test of a chosen reference file: true when a BMP or PNG file reads
// as a picture of more than 8 bits per pixel (it has no colour table to share).
bool IsReferenceTooDeep(const std::string& path);

}  // namespace zel
