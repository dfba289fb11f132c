// Shared pieces of the interop tests: a scratch directory, running gifsicle and ImageMagick,
// pictures in RGBA, reading a GIF through giflib, and comparing the loader's frames with the
// frames ImageMagick shows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/frame_set.h"

namespace zel::interop {

// A fresh directory under the system temp folder, removed with everything in it on
// destruction (kept when ZEL_INTEROP_KEEP is set, for looking at failures).
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// The argument in single quotes for /bin/sh.
std::string Quote(const std::string& arg);

struct CommandResult {
  int status = -1;     // exit status, -1 when the command did not run or was killed
  std::string output;  // stdout and stderr together
};
// Runs `command` through /bin/sh with stderr folded into stdout.
CommandResult RunCommand(const std::string& command);

std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

struct Rgba {
  uint8_t r = 0, g = 0, b = 0, a = 0;
  friend bool operator==(const Rgba&, const Rgba&) = default;
};

// A picture as 8-bit RGBA, rows top to bottom.
struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<Rgba> pixels;

  RgbaImage() = default;
  RgbaImage(int w, int h, Rgba fill = {}) : width(w), height(h), pixels(size_t(w) * h, fill) {}
  Rgba& At(int x, int y) { return pixels[size_t(y) * width + x]; }
  const Rgba& At(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

// One frame as ImageMagick reads it: its pixels plus the geometry `identify` reports.
struct MagickFrame {
  int screenWidth = 0;
  int screenHeight = 0;
  int left = 0;
  int top = 0;
  int delay = 0;
  RgbaImage image;
};

// The frames of a picture file through `convert`, each coalesced onto the logical screen
// when `coalesce` is set, else at its own size. Fails the current test and returns nothing
// when ImageMagick cannot read the file.
std::optional<std::vector<MagickFrame>> ReadWithMagick(const std::string& path, bool coalesce,
                                                       const std::string& scratchDir);

struct PlacedImage {
  RgbaImage image;
  int left = 0;
  int top = 0;
  int delay = 10;
};

// Writes `frames` as one GIF file (looping when there are several) through `convert`, each
// frame placed on a screenWidth x screenHeight screen; `magickOptions` go in front of the
// frames (e.g. "-dispose Background").
bool WriteAnimationWithMagick(const std::vector<PlacedImage>& frames, int screenWidth,
                              int screenHeight, const std::string& magickOptions,
                              const std::string& outPath, const std::string& scratchDir);

// What giflib reads from a GIF file.
struct GiflibImage {
  int left = 0, top = 0, width = 0, height = 0;
  bool interlaced = false;
  std::vector<Rgba> localColors;  // empty without a local colour table
  int disposal = 0;
  int delay = 0;
  int transparentIndex = -1;
  std::vector<uint8_t> raster;  // width x height indices, de-interlaced, rows top to bottom
};

struct GiflibFile {
  int screenWidth = 0, screenHeight = 0;
  std::vector<Rgba> globalColors;  // empty without a global colour table
  bool hasLoopBlock = false;
  int loopCount = -1;
  std::vector<GiflibImage> images;
};

// Reads a GIF file with DGifSlurp; nothing (and a test failure message) when giflib refuses.
std::optional<GiflibFile> ReadWithGiflib(const std::string& path);

// What a GIF file uses, so a test can insist its input really has the feature it is about.
enum GifFeature : unsigned {
  kSubRectangle = 1u << 0,       // an image smaller than the screen
  kLocalTable = 1u << 1,         // an image with its own colour table
  kNoGlobalTable = 1u << 2,      // no global colour table at all
  kInterlaced = 1u << 3,         // an interlaced image
  kDisposeBackground = 1u << 4,  // restore to background on an image that is not the last
  kDisposePrevious = 1u << 5,    // restore to previous on an image that is not the last
  kTransparency = 1u << 6,       // a transparent colour index
};
unsigned FeaturesOf(const GiflibFile& file);
std::string DescribeFeatures(unsigned features);

// A frame to be written through giflib's encoder.
struct GiflibFrameSpec {
  int left = 0, top = 0, width = 0, height = 0;
  std::vector<Rgba> localColors;  // empty: the frame uses the global table
  std::vector<uint8_t> indices;   // width x height
  int disposal = 0;
  int delay = 0;
  int transparentIndex = -1;
};

// Writes a GIF89a file with EGifSpew. `globalColors` may be empty (no global table).
bool WriteWithGiflib(const std::string& path, int screenWidth, int screenHeight,
                     const std::vector<Rgba>& globalColors,
                     const std::vector<GiflibFrameSpec>& frames);

// Compares the frames LoadGifAnimation produced with ImageMagick's frames of the same file
// (coalesced for an animation, as stored for a single picture). Every pixel ImageMagick
// shows opaque must have the same colour through the frame's colour table; every pixel it
// shows transparent must hold the transparent index (the set's for composed frames, the
// frame's own for a single picture or frames left in their own palettes), and, when anything
// is transparent, no opaque pixel may hold it. Delays and sizes must agree. Adds failures to
// the current test.
void ExpectFramesMatchMagick(const FrameSet& frames, const std::vector<MagickFrame>& reference,
                             const std::string& label);

// The colour that picture index `index` stands for, opaque.
Rgba ColorOf(const PackedDib& picture, int index);
// Index of pixel (x, y) of an 8-, 4- or 1-bit picture.
int PixelIndex(const PackedDib& picture, int x, int y);

}  // namespace zel::interop
