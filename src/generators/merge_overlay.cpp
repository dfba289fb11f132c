#include "generators/merge_overlay.h"

#include <cctype>

#include "imagefiles/bmp_file.h"
#include "imagefiles/frame_bitmap.h"
#include "imagefiles/gif_decoder.h"
#include "imagefiles/picture_clipboard.h"
#include "imagefiles/png_reader.h"
#include "platform/file_status.h"

namespace zel {
namespace {

// The lower-case first letter of the extension, or 0 when the name has no '.'.
char ExtensionLetter(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return 0;
  if (dot + 1 >= path.size()) return ' ';
  return static_cast<char>(std::tolower(static_cast<unsigned char>(path[dot + 1])));
}

// A frame set of one frame becomes that frame's picture; more frames stay an animation.
int TakeFrames(std::unique_ptr<FrameSet> frames, int failure, MergeOverlay* out) {
  if (frames->count < 1 || !frames->frame(0).image) return failure;
  if (frames->count == 1) {
    Frame& only = frames->frame(0);
    out->transparentIndex = only.transparentIndex;
    out->picture = std::move(only.image);
    return 0;
  }
  for (int i = 0; i < frames->count; ++i) {
    if (!frames->frame(i).image) return failure;
  }
  out->transparentIndex = frames->transparentIndex;
  out->frames = std::move(frames);
  return 0;
}

int TakeTrailedPicture(PackedDib picture, MergeOverlay* out) {
  int32_t index = -1;
  out->transparentIndex = -1;
  if (picture.Header().bitCount == 8 && ReadTransparencyTrailer(picture, &index) && index >= 0 &&
      static_cast<uint32_t>(index) < picture.ColorCount()) {
    out->transparentIndex = index;
  }
  out->picture = std::move(picture);
  return 0;
}

}  // namespace

int LoadOverlayFile(const std::string& path, int frameMax, MergeOverlay* out) {
  *out = MergeOverlay{};
  const char letter = ExtensionLetter(path);
  if (letter == 0 || !ReadFileStatus(path)) return 1;
  if (frameMax < 1) frameMax = 1;
  switch (letter) {
    case 'b': {
      if (IsFrameBitmapFile(path)) {
        std::unique_ptr<FrameSet> frames = FrameSet::Create(frameMax);
        if (frames && ReadFrameBitmapFile(path, *frames).done() &&
            TakeFrames(std::move(frames), 3, out) == 0) {
          return 0;
        }
      }
      PackedDib picture;
      if (ReadBmpFile(picture, path) != 0 || !picture) return 3;
      out->picture = std::move(picture);
      return 0;
    }
    case 'g': {
      std::unique_ptr<FrameSet> frames = FrameSet::Create(frameMax);
      if (!frames || LoadGifAnimationFile(path, *frames, frameMax) != kGifReadOk) return 3;
      return TakeFrames(std::move(frames), 3, out);
    }
    case 'p': {
      PackedDib picture;
      if (ReadPngFile(picture, path, {}) != 0 || !picture) return 3;
      // A PNG file's transparent entry comes in the trailer.
      return TakeTrailedPicture(std::move(picture), out);
    }
    default:
      return 3;
  }
}

int LoadOverlayClipboard(PictureClipboard* clipboard, int frameMax, MergeOverlay* out) {
  *out = MergeOverlay{};
  out->unusable = 8;
  PackedDib picture = clipboard ? clipboard->ReadPicture() : PackedDib();
  if (!picture || !IsWholePicture(picture)) return 8;
  if (IsFrameBitmap(picture)) {
    std::unique_ptr<FrameSet> frames = FrameSet::Create(frameMax < 1 ? 1 : frameMax);
    if (!frames || !ReadFrameBitmap(picture, *frames).done()) return 8;
    return TakeFrames(std::move(frames), 8, out);
  }
  return TakeTrailedPicture(std::move(picture), out);
}

bool OverlayFileHasTooManyColors(const std::string& path) {
  const char letter = ExtensionLetter(path);
  PackedDib picture;
  if (letter == 'b') {
    if (ReadBmpFile(picture, path) != 0) return false;
  } else if (letter == 'p') {
    if (ReadPngFile(picture, path, {}) != 0) return false;
  } else {
    return false;
  }
  return picture && picture.Header().bitCount > 8;
}

}  // namespace zel
