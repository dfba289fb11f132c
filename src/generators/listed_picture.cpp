#include "generators/listed_picture.h"

#include "imagefiles/bmp_file.h"
#include "imagefiles/file_names.h"
#include "imagefiles/gif_decoder.h"
#include "imagefiles/image_loader.h"
#include "imagefiles/jpeg_reader.h"
#include "imagefiles/png_reader.h"
#include "imagefiles/webp_reader.h"
#include "resources/string_table.h"

namespace zel {
namespace {

// A JPEG file's size query packs its size as height x 65536 + width (both below 65536).
std::optional<PictureExtent> FromPacked(int64_t packed) {
  if (packed <= 0) return std::nullopt;
  return PictureExtent{static_cast<int32_t>(packed & 0xFFFF), static_cast<int32_t>(packed >> 16)};
}

std::optional<PictureExtent> FromSize(const std::optional<PictureSize>& size) {
  if (!size || size->width < 1 || size->height < 1) return std::nullopt;
  return PictureExtent{size->width, size->height};
}

// The first picture of a WebP file, as the animation shows it first.
int ReadWebpFirstPicture(const std::string& path, PackedDib* out) {
  std::unique_ptr<FrameSet> frames = FrameSet::Create(1);
  if (!frames) return static_cast<int>(WebpReadResult::kNoMemory);
  const WebpReadResult code = ReadWebpFile(path, *frames, 1);
  if (code != WebpReadResult::kOk) return static_cast<int>(code);
  *out = std::move(frames->frame(0).image);
  return 0;
}

}  // namespace

ListedName ClassifyListedName(const std::string& path, char* letter) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
    return ListedName::kNoExtension;
  }
  const char l = ReaderLetter(path);
  if (l == 0) return ListedName::kUnsupported;
  if (letter) *letter = l;
  return ListedName::kReadable;
}

std::optional<PictureExtent> ReadListedPictureSize(const std::string& path) {
  char letter = 0;
  if (ClassifyListedName(path, &letter) != ListedName::kReadable) return std::nullopt;
  switch (letter) {
    case 'b':
      return FromSize(ReadBmpFileSize(path));
    case 'j':
      return FromPacked(ReadJpegFileSize(path));
    case 'p': {
      PictureSize size;
      if (ReadPngFileSize(path, &size) != kPngReadOk) return std::nullopt;
      return FromSize(size);
    }
    case 'w': {
      PackedDib picture;
      if (ReadWebpFirstPicture(path, &picture) != 0 || !picture) return std::nullopt;
      const DibHeader h = picture.Header();
      return PictureExtent{h.width, h.height};
    }
    default: {
      // The screen size of a GIF file need not be its first picture's: read the picture.
      PackedDib picture;
      if (ReadGifPicture(picture, path, nullptr) != 0 || !picture) return std::nullopt;
      const DibHeader h = picture.Header();
      return PictureExtent{h.width, h.height};
    }
  }
}

Outcome ReadListedPicture(const std::string& path, char letter, PackedDib* out) {
  out->Reset();
  int code = 0;
  switch (letter) {
    case 'b':
      code = ReadBmpFile(*out, path);
      break;
    case 'g':
      code = ReadGifPicture(*out, path, nullptr);
      break;
    case 'j':
      code = ReadJpegFile(*out, path, 1, nullptr);
      break;
    case 'p':
      code = ReadPngFile(*out, path, nullptr);
      break;
    case 'w':
      code = ReadWebpFirstPicture(path, out);
      break;
    default:
      return Outcome::Failed(kMsgBadImageFile);
  }
  if (code != 0) {
    out->Reset();
    return Outcome::Failed(ReaderFailureMessage(letter, code));
  }
  return *out ? Outcome::Done() : Outcome::Failed(kMsgBadImageFile);
}

}  // namespace zel
