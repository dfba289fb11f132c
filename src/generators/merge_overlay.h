// The overlay of a merge: a picture or an animation read from a file or taken from the
// clipboard, with its transparent index. Everything read is treated as hostile: the
// trailer's index must lie in the colour table, and an animation's frames must share one
// size and be brought into one palette.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "document/frame_set.h"
#include "document/packed_dib.h"

namespace zel {

class PictureClipboard;

struct MergeOverlay {
  PackedDib picture;                 // a single picture (1, 4, 8 or more bits, as read)
  std::unique_ptr<FrameSet> frames;  // an animation of two or more frames
  int32_t transparentIndex = -1;
  // The error of an overlay whose pixels turn out unusable: 3 for a file, 8 for the
  // clipboard.
  int unusable = 3;
  bool IsAnimation() const { return frames != nullptr; }
};

// Reads the overlay file by the first letter of its extension: 'b' a frame bitmap, else a
// BMP picture; 'g' a GIF (its frames composed on the logical screen); 'p' a PNG picture.
// 0, 1 (missing file or a name without '.') or 3 (nothing could be read). A frame set of
// one frame comes back as a single picture with that frame's transparent index.
int LoadOverlayFile(const std::string& path, int frameMax, MergeOverlay* out);

// The clipboard's picture: a frame bitmap becomes an animation, an 8-bit picture keeps the
// transparent index of its "TIDX" trailer when it names an entry of its table. 0 or 8.
int LoadOverlayClipboard(PictureClipboard* clipboard, int frameMax, MergeOverlay* out);

// True when `path` is a BMP or PNG file (by its extension) that reads as a picture of more
// than 8 bits per pixel: the browse button refuses it.
bool OverlayFileHasTooManyColors(const std::string& path);

}  // namespace zel
