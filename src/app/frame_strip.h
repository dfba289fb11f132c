// The rules of the frame strip under the view: the size of a thumbnail, its pixels, the
// label under it, the cache that keeps the thumbnails made so far, and a click on a frame.
// The strip widget only draws what these give and forwards the mouse.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <unordered_map>
#include <vector>

namespace zel {

class PackedDib;
struct DocumentState;

// The box a thumbnail fits in, in pixels.
constexpr int kStripThumbnailBox = 64;
// Small frames are enlarged, but by at most this factor.
constexpr int kStripMaxEnlargement = 4;

struct ThumbnailSize {
  int width = 0;
  int height = 0;
  bool operator==(const ThumbnailSize&) const = default;
};

// A frame of `width` x `height` fitted into a `box` square with its shape kept: at least
// 1 x 1, enlarged at most kStripMaxEnlargement times. 0 x 0 for an empty frame.
ThumbnailSize FitThumbnail(int32_t width, int32_t height, int box);

// The thumbnail of `picture` at `size`: size.width * size.height pixels 0xFFRRGGBB, rows
// from the top, each pixel taken from the nearest source pixel. Empty when the picture
// is not a whole 8- or 24-bit picture.
std::vector<uint32_t> RenderThumbnail(const PackedDib& picture, ThumbnailSize size);

// The text under frame `index` (0-based): its number from 1 on and its delay in seconds,
// e.g. "12  0.10秒".
std::string StripFrameLabel(int32_t index, int32_t delay);

// The frames from `first` to `last` (inclusive) a strip scrolled to `offset` pixels shows
// in `viewLength` pixels with items of `itemLength`; first > last when none.
struct FrameRange {
  int32_t first = 0;
  int32_t last = -1;
};
FrameRange VisibleFrames(int64_t offset, int64_t viewLength, int itemLength, int32_t count);

// A 64-bit hash of `size` bytes at `data`, for telling whether a picture block changed. Equal
// bytes give equal hashes; it reads whole words and is meant to be fast, not secure.
uint64_t PictureBlockHash(const uint8_t* data, size_t size);

// Thumbnails made so far, by frame number. An entry remembers the picture block it was made
// from: its address, its size and the hash of its bytes. While an entry is checked, the same
// address and size are enough; after a change of the document (MarkChanged) every entry is
// checked once more by the hash of its frame's block when next asked for, so only a frame
// whose picture really changed is made anew, and a change that only moved a block (undo,
// a frame moved back) makes nothing. The oldest entries go once more than `capacity` are
// kept.
class ThumbnailCache {
 public:
  explicit ThumbnailCache(size_t capacity = 512) : capacity_(capacity) {}

  // The thumbnail of frame `index` from `picture` at `size`, made when not kept yet. Null
  // when it cannot be made.
  const std::vector<uint32_t>* Get(int32_t index, const PackedDib& picture, ThumbnailSize size);
  // The document may have changed: every entry is checked by its hash before it is used
  // again; the entries of frames from `frameCount` on go.
  void MarkChanged(int32_t frameCount);
  void Clear();
  size_t size() const { return entries_.size(); }
  // How many thumbnails were made, for tests and the benchmark.
  size_t rendered() const { return rendered_; }

 private:
  struct Entry {
    const uint8_t* block = nullptr;
    size_t blockSize = 0;
    uint64_t hash = 0;
    bool checked = true;  // block and blockSize still say whether the picture is the same
    ThumbnailSize size;
    std::vector<uint32_t> pixels;
    std::list<int32_t>::iterator age;
  };
  size_t capacity_;
  size_t rendered_ = 0;
  std::unordered_map<int32_t, Entry> entries_;
  std::list<int32_t> ages_;  // most recently used first
};

// A click on frame `frame` of the strip: playback stops and the frame is shown at once.
// False when the document has no such frame.
bool ShowStripFrame(DocumentState& doc, int32_t frame);

}  // namespace zel
