// Reading GIF files (GIF87a and GIF89a, single pictures and animations) into a FrameSet.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "document/frame_set.h"
#include "document/packed_dib.h"

namespace zel {

// Result codes of the GIF reader.
enum GifReadResult : int {
  kGifReadOk = 0,
  kGifCannotRead = -1,    // the file cannot be opened or read completely
  kGifBadSignature = -3,  // neither "GIF87a" nor "GIF89a"
  kGifBadBlock = -4,      // extension runs off the end; image block without palette or size
  kGifNoMemory = -6,
  kGifPictureExtensionRunsOut = -20,  // ReadGifPicture: extension runs off the end
  kGifPictureTrailerFirst = -21,      // ReadGifPicture: trailer before any image
  kGifPictureUnknownBlock = -22,      // ReadGifPicture: unknown byte before the first image
  kGifPictureBadColorBits = -24,
  kGifPictureNoPalette = -25,
  kGifPictureZeroWidth = -26,
  kGifPictureZeroHeight = -27,
  kGifBadCodeSize = -28,   // LZW minimum code size outside 2..11
  kGifBadFirstCode = -29,  // first code after a clear code above the clear code
  kGifBadPreviousCode = -30,
  kGifBadPreviousCodeNew = -31,
  // The pictures would take more memory than PictureMemoryBudget() allows.
  kGifTooLarge = -32,
};

// Zero bytes kept behind the data that ReadWholeFile returns.
constexpr size_t kWholeFileSlack = 512;

// The whole file followed by 512 zero bytes; `size` receives the file's own length.
std::optional<std::vector<uint8_t>> ReadWholeFile(const std::string& path, size_t* size);

// Parses GIF data into `frames` (which the caller has cleared), keeping at most `maxFrames`
// frames. Each frame is an 8-bit picture of its image block's size with its own palette
// (an image declared far larger than its data can fill keeps only the rows the data
// reaches). Pictures beyond the memory budget give kGifTooLarge. When `framesInFile` is
// given it receives the number of image blocks in the file, also those beyond `maxFrames`.
// On failure the frames read so far are freed and count is 0.
int ReadGifData(const uint8_t* data, size_t size, FrameSet& frames, int maxFrames,
                int* framesInFile = nullptr);
int ReadGifFile(const std::string& path, FrameSet& frames, int maxFrames);

// True when some frame of the animation (as read, not yet composed) would show canvas that
// no frame has covered: the first frame leaves part of the screen empty or lets it through
// its transparent pixels, or a disposal ("restore to background", or "restore to
// previous" back to empty canvas) uncovers what the next frames do not cover again.
bool CanvasEverUncovered(const FrameSet& frames);

// Builds one palette shared by all frames and maps each frame's colours onto it. The
// set's transparentIndex is the entry kept for transparency (every frame's transparent
// colour maps to it), or -1 to keep none: the canvas never shows, so transparent colours
// are never drawn and take no entry. Returns true when some colour had no entry left and
// went to the nearest one.
bool MergeFramePalettes(FrameSet& frames);
// Turns every frame into a full logical-screen picture in the shared palette, drawn the way
// GIF89a displays it. Each frame as read gives way to its composed picture as soon as it
// has been drawn. `identityMaps`, when given, marks the frames whose colour map leaves
// every colour they use in place (drawn without look-ups). False when memory is short;
// the frames are then freed (count 0).
bool ComposeFrames(FrameSet& frames, const std::vector<char>* identityMaps = nullptr);

enum class LocalPaletteCompose {
  kComposed,
  kTooManyColours,  // a composed frame would show more colours than a table holds
  kNoMemory,
};
// Composes the frames as ComposeFrames does, but each into a colour table of its own that
// holds exactly the colours it shows: its own table with its indices kept, then the colours
// showing through from earlier frames in its unused entries. When the set's
// transparentIndex is 0 or more (the canvas shows), every frame keeps one entry at the same
// index for it, and transparentIndex becomes that index. On success paletteCount is -1
// and each frame's colorMap maps its own indices to the composed picture's. On any other
// result the frames are as before.
[[nodiscard]] LocalPaletteCompose ComposeFramesLocalPalettes(FrameSet& frames);

// Reads a GIF file and, for an animation, brings its frames onto the logical screen: in one
// shared palette when that holds every colour exactly, else each frame in a palette of its
// own (paletteCount -1), unless some frame shows more colours than that can hold, when
// the shared palette takes the nearest colours. Returns a GifReadResult.
// Composed frames beyond the memory budget give kGifTooLarge.
int LoadGifAnimationData(const uint8_t* data, size_t size, FrameSet& frames, int maxFrames,
                         int* framesInFile = nullptr);
bool LoadGifAnimation(const std::string& path, FrameSet& frames, int maxFrames);
// Reads a GIF file as LoadGifAnimationFile does and decides the same palette and
// transparent entry, without composing the frames: everything but the composed pictures
// is as after loading, and frames in a shared palette keep their pictures as read.
int DescribeGifAnimationFile(const std::string& path, FrameSet& frames, int maxFrames,
                             int* framesInFile = nullptr);
// The same with the reader's code (kGifCannotRead when the file cannot be read).
int LoadGifAnimationFile(const std::string& path, FrameSet& frames, int maxFrames,
                         int* framesInFile = nullptr);

// Progress of ReadGifPicture: the values a progress window receives as wParam and lParam.
using GifPictureProgress = std::function<void(uint32_t wParam, uint32_t lParam)>;

// The first picture of a GIF file as an 8-bit picture of the image block's size; returns 0
// or a GifReadResult code, and leaves `out` null on failure.
int ReadGifPicture(PackedDib& out, const std::string& path, const GifPictureProgress& progress);
int ReadGifPictureData(PackedDib& out, const uint8_t* data, size_t size,
                       const GifPictureProgress& progress);
// The logical screen size of a GIF file as (height x 65536) + width, or a negative code.
int64_t ReadGifScreenSize(const std::string& path);

}  // namespace zel
