// The files of a picture list: which reader a name picks, reading a file's size only, and
// reading the whole picture (a GIF file gives its first picture).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "document/outcome.h"
#include "document/packed_dib.h"
#include "generators/picture_normalisation.h"

namespace zel {

enum class ListedName {
  kReadable,     // the extension starts with b, g, j or p, or is webp (any case)
  kNoExtension,  // the file name has no '.'
  kUnsupported,  // another extension
};
// What the name of a listed file says; `letter` gets 'b', 'g', 'j' or 'p' when readable.
ListedName ClassifyListedName(const std::string& path, char* letter = nullptr);

// The picture's size without decoding its pixels where the reader can tell it (BMP, JPEG,
// PNG); a GIF file's first picture is decoded. Nullopt when it cannot be read.
std::optional<PictureExtent> ReadListedPictureSize(const std::string& path);

// Reads the whole picture with the reader of `letter`. Done, or failed with kMsgBadImageFile
// (cannot be read), kMsgNoMemory or kMsgPictureTooLarge (beyond the memory budget).
Outcome ReadListedPicture(const std::string& path, char letter, PackedDib* out);

}  // namespace zel
