#include "imagefiles/frame_bitmap.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "imagefiles/bmp_file.h"
#include "imagefiles/default_palette.h"
#include "platform/file_io.h"
#include "resources/string_table.h"

namespace zel {
namespace {

// The layout of a frame bitmap. Rows are stored rows (row 0 is the bottom of the picture).
constexpr int32_t kMarginColumns = 24;  // columns left of the first frame
constexpr int32_t kFrameGap = 4;        // between the left edges of two frames: w + 4
constexpr int32_t kFirstFrameRow = 4;
constexpr int32_t kNumberBits = 16;    // number rows use columns 0-15
constexpr int32_t kMarkerColumn = 16;  // row 0: a pixel of the transparent index
constexpr int32_t kDashColumn = 17;    // index 0 in every row r with r mod 5 < 3
constexpr int32_t kDelayRow = 7;       // first of the n delay rows
constexpr int32_t kMinimumHeight = 8;
constexpr uint16_t kCheckSeed = 0x3333;
constexpr uint16_t kNoTransparency = 0xFFFF;
// Row 0 column 0 (the top bit of the stored width) must be a 0 bit: the reader takes its
// colour as the colour of 0 bits.
constexpr int64_t kMaxStride = 32767;
constexpr int64_t kMaxNumber = 65535;
constexpr size_t kFileHeaderSize = 14;
constexpr size_t kBlockHeadSize = kDibHeaderSize + 256 * sizeof(Rgbq);  // 1064
constexpr uint32_t kMaxDistinctTrueColors = 255;

enum NumberRow : int32_t {
  kRowStride = 0,
  kRowHeight = 1,
  kRowFrameWidth = 2,
  kRowFrameHeight = 3,
  kRowFrameCount = 4,
  kRowTransparent = 5,
  kRowCheck = 6,
};

// An uncompressed bottom-up picture of one bit count, checked against its block.
struct PixelView {
  const uint8_t* pixels = nullptr;  // first stored row
  const Rgbq* table = nullptr;
  size_t stride = 0;
  int32_t width = 0;
  int32_t height = 0;
  uint32_t colors = 0;

  const uint8_t* StoredRow(int32_t row) const { return pixels + static_cast<size_t>(row) * stride; }
  uint8_t At(int32_t row, int32_t column) const { return StoredRow(row)[column]; }
};

int BitCountOf(const PackedDib& image) {
  if (!image || image.size() < kDibHeaderSize) return 0;
  return ReadLe16(image.data() + 14);
}

bool ViewPicture(const PackedDib& image, int bitCount, PixelView* view) {
  if (!image || image.size() < kDibHeaderSize) return false;
  DibHeader h = image.Header();
  if (h.size < kDibHeaderSize || h.size > image.size() || h.bitCount != bitCount ||
      h.compression != 0 || h.width <= 0 || h.height <= 0) {
    return false;
  }
  uint32_t colors = image.ColorCount();
  if (bitCount == 8 && colors > 256) return false;
  size_t offset = h.size + sizeof(Rgbq) * static_cast<size_t>(colors);
  size_t stride = RowStride(bitCount, h.width);
  if (offset > image.size() || stride == 0 ||
      stride > (image.size() - offset) / static_cast<size_t>(h.height)) {
    return false;
  }
  view->pixels = image.data() + offset;
  view->table = reinterpret_cast<const Rgbq*>(image.data() + h.size);
  view->stride = stride;
  view->width = h.width;
  view->height = h.height;
  view->colors = colors;
  return true;
}

// The numbers a frame bitmap carries, read and checked.
struct FrameBitmapInfo {
  int32_t frameWidth = 0;
  int32_t frameHeight = 0;
  int32_t count = 0;
  int32_t transparent = -1;  // index in the picture's table
  std::vector<uint16_t> delays;

  int32_t FrameLeft(int32_t i) const { return kMarginColumns + i * (frameWidth + kFrameGap); }
};

uint16_t ReadNumberRow(const PixelView& v, int32_t row, uint8_t zeroBit) {
  const uint8_t* p = v.StoredRow(row);
  uint16_t value = 0;
  for (int32_t c = 0; c < kNumberBits; ++c) {
    value = static_cast<uint16_t>((value << 1) | (p[c] != zeroBit ? 1 : 0));
  }
  return value;
}

bool IndexInFrames(const PixelView& v, const FrameBitmapInfo& info, uint8_t index) {
  for (int32_t i = 0; i < info.count; ++i) {
    const int32_t left = info.FrameLeft(i);
    for (int32_t r = 0; r < info.frameHeight; ++r) {
      const uint8_t* p = v.StoredRow(kFirstFrameRow + r) + left;
      if (std::memchr(p, index, static_cast<size_t>(info.frameWidth)) != nullptr) return true;
    }
  }
  return false;
}

// Reads the numbers of an 8-bit picture and checks that they describe frames inside it and
// that every pixel has a colour. False when the picture is not a frame bitmap.
bool ParseFrameBitmap(const PixelView& v, FrameBitmapInfo* info) {
  if (v.height < kMinimumHeight || v.width <= kMarginColumns) return false;
  const uint8_t zeroBit = v.At(0, 0);
  auto number = [&](int32_t row) { return ReadNumberRow(v, row, zeroBit); };
  const uint16_t stride = number(kRowStride);
  const uint16_t height = number(kRowHeight);
  const uint16_t frameWidth = number(kRowFrameWidth);
  const uint16_t frameHeight = number(kRowFrameHeight);
  const uint16_t count = number(kRowFrameCount);
  const uint16_t transparent = number(kRowTransparent);
  if (stride > v.width || height > v.height) return false;
  if (count == 0 || frameWidth == 0 || frameHeight == 0) return false;
  if (kDelayRow + static_cast<int64_t>(count) > v.height) return false;
  uint16_t check = kCheckSeed ^ stride ^ height ^ frameWidth ^ frameHeight ^ count ^ transparent;
  std::vector<uint16_t> delays(count);
  for (int32_t i = 0; i < count; ++i) {
    delays[static_cast<size_t>(i)] = number(kDelayRow + i);
    check ^= delays[static_cast<size_t>(i)];
  }
  if (check != number(kRowCheck)) return false;
  // Frame i covers columns 24 + i (w + 4) .. + w - 1 and rows 4 .. h + 3.
  if (kFirstFrameRow + static_cast<int64_t>(frameHeight) > v.height) return false;
  const int64_t right =
      kMarginColumns +
      (static_cast<int64_t>(count) - 1) * (static_cast<int64_t>(frameWidth) + kFrameGap) +
      frameWidth;
  if (right > v.width) return false;
  for (int32_t r = 0; r < v.height; ++r) {
    const uint8_t* p = v.StoredRow(r);
    for (int32_t c = 0; c < v.width; ++c) {
      if (p[c] >= v.colors) return false;
    }
  }
  info->frameWidth = frameWidth;
  info->frameHeight = frameHeight;
  info->count = count;
  info->delays = std::move(delays);
  info->transparent = -1;
  if (transparent <= 255) {
    // The marker pixel, not the number: a paint program may have renumbered the table.
    const uint8_t marker = v.At(0, kMarkerColumn);
    if (IndexInFrames(v, *info, marker)) info->transparent = marker;
  }
  return true;
}

// The picture to parse: the image itself when it is 8-bit, else its 8-bit conversion.
bool ViewFrameBitmap(const PackedDib& image, PackedDib* converted, PixelView* view) {
  const PackedDib* source = &image;
  if (BitCountOf(image) != 8) {
    *converted = IndexTrueColorImage(image);
    if (!*converted) return false;
    source = converted;
  }
  return ViewPicture(*source, 8, view);
}

// The palette entry with the largest red + green + blue among 1 .. colors - 1.
uint8_t BrightestEntry(const Rgbq* table, uint32_t colors) {
  uint32_t best = 1;
  int bestSum = -1;
  for (uint32_t i = 1; i < colors; ++i) {
    int sum = table[i].red + table[i].green + table[i].blue;
    if (sum > bestSum) {
      bestSum = sum;
      best = i;
    }
  }
  return static_cast<uint8_t>(best);
}

// Builds the in-memory form. Returns 0 or a message number.
Outcome BuildImage(const FrameSet& frames, PackedDib* out) {
  if (frames.count < 1 || frames.count > frames.capacity()) return Outcome::Failed(kMsgOutOfRange);
  const PackedDib& first = frames.frame(0).image;
  if (!first) return Outcome::Failed(kMsgNoMemory);
  PixelView firstView;
  if (!ViewPicture(first, 8, &firstView) || firstView.colors < 2) return Outcome::Failed(kMsgOutOfRange);
  const int32_t w = firstView.width;
  const int32_t h = firstView.height;
  const int32_t n = frames.count;
  const int64_t stride64 =
      (static_cast<int64_t>(n) * (static_cast<int64_t>(w) + kFrameGap) + kMarginColumns + 3) &
      ~int64_t{3};
  const int64_t height64 = std::max(static_cast<int64_t>(h) + 8, static_cast<int64_t>(n) + 7);
  if (stride64 > kMaxStride || height64 > kMaxNumber) return Outcome::Failed(kMsgOutOfRange);
  const int32_t stride = static_cast<int32_t>(stride64);
  const int32_t height = static_cast<int32_t>(height64);

  std::vector<PixelView> views(static_cast<size_t>(n));
  views[0] = firstView;
  for (int32_t i = 1; i < n; ++i) {
    const PackedDib& image = frames.frame(i).image;
    if (!image) return Outcome::Failed(kMsgNoMemory);
    PixelView& v = views[static_cast<size_t>(i)];
    if (!ViewPicture(image, 8, &v) || v.width != w || v.height != h) return Outcome::Failed(kMsgOutOfRange);
  }

  const uint8_t background = BrightestEntry(firstView.table, firstView.colors);
  PackedDib image = NewPicture(stride, height, 8, 256, DefaultPalette().data());
  if (!image) return Outcome::Failed(kMsgNoMemory);
  DibHeader header = image.Header();
  DibHeader firstHeader = first.Header();
  header.xPelsPerMeter = firstHeader.xPelsPerMeter;
  header.yPelsPerMeter = firstHeader.yPelsPerMeter;
  header.clrUsed = header.clrImportant = 0;
  image.SetHeader(header);
  std::memcpy(image.ColorTable(), firstView.table, sizeof(Rgbq) * firstView.colors);

  uint8_t* pixels = image.Pixels();
  auto at = [&](int32_t row, int32_t column) -> uint8_t& {
    return pixels[static_cast<size_t>(row) * static_cast<size_t>(stride) +
                  static_cast<size_t>(column)];
  };
  std::memset(pixels, background, static_cast<size_t>(stride) * static_cast<size_t>(height));

  const int32_t t = frames.transparentIndex;
  const bool transparent = t >= 0 && t <= 255;
  if (transparent) at(0, kMarkerColumn) = static_cast<uint8_t>(t);

  std::vector<uint16_t> numbers = {static_cast<uint16_t>(stride),
                                   static_cast<uint16_t>(height),
                                   static_cast<uint16_t>(w),
                                   static_cast<uint16_t>(h),
                                   static_cast<uint16_t>(n),
                                   transparent ? static_cast<uint16_t>(t) : kNoTransparency,
                                   0};
  uint16_t check = kCheckSeed;
  for (int32_t i = 0; i < n; ++i) {
    numbers.push_back(static_cast<uint16_t>(frames.frame(i).delay));
  }
  for (uint16_t value : numbers) check ^= value;
  numbers[kRowCheck] = check;
  for (size_t row = 0; row < numbers.size(); ++row) {
    for (int32_t c = 0; c < kNumberBits; ++c) {
      if ((numbers[row] & (0x8000u >> c)) == 0) at(static_cast<int32_t>(row), c) = 0;
    }
  }
  for (int32_t r = 0; r < height; ++r) {
    if (r % 5 < 3) at(r, kDashColumn) = 0;
  }

  for (int32_t i = 0; i < n; ++i) {
    const int32_t x = kMarginColumns + i * (w + kFrameGap);
    for (int32_t c = x - 1; c <= x + w; ++c) {
      at(kFirstFrameRow - 1, c) = 0;
      at(kFirstFrameRow + h, c) = 0;
    }
    for (int32_t r = 0; r < h; ++r) {
      at(kFirstFrameRow + r, x - 1) = 0;
      at(kFirstFrameRow + r, x + w) = 0;
      std::memcpy(&at(kFirstFrameRow + r, x), views[static_cast<size_t>(i)].StoredRow(r),
                  static_cast<size_t>(w));
    }
  }
  *out = std::move(image);
  return Outcome::Done();
}

// Colours (0x00RRGGBB) to table positions: an open-addressed table of 1024 slots, each
// (position + 1) << 24 | colour, 0 when empty; at most 255 colours go in.
class ColorIndex {
 public:
  ColorIndex() : slots_(kSlots, 0) {}
  // The position of `color`, or -1.
  int Find(uint32_t color) const {
    for (uint32_t s = Hash(color);; s = (s + 1) & (kSlots - 1)) {
      uint32_t slot = slots_[s];
      if (slot == 0) return -1;
      if ((slot & 0xFFFFFF) == color) return static_cast<int>(slot >> 24) - 1;
    }
  }
  void Insert(uint32_t color, uint32_t position) {
    uint32_t s = Hash(color);
    while (slots_[s] != 0) s = (s + 1) & (kSlots - 1);
    slots_[s] = ((position + 1) << 24) | color;
  }
  void Clear() { std::fill(slots_.begin(), slots_.end(), 0); }

 private:
  static constexpr uint32_t kSlots = 1024;
  static uint32_t Hash(uint32_t color) { return (color * 2654435761u) >> 22; }
  std::vector<uint32_t> slots_;
};

inline uint32_t TrueColorAt(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16);
}

}  // namespace

Outcome BuildFrameBitmapFile(const FrameSet& frames, uint32_t backgroundColor,
                         std::vector<uint8_t>& bytes) {
  bytes.clear();
  PackedDib image;
  if (const Outcome built = BuildImage(frames, &image); !built.done()) return built;
  const DibHeader header = image.Header();
  const size_t blockSize = kBlockHeadSize + header.sizeImage;
  try {
    bytes.resize(kFileHeaderSize + blockSize);
  } catch (const std::bad_alloc&) {
    return Outcome::Failed(kMsgNoMemory);
  }
  bytes[0] = 'B';
  bytes[1] = 'M';
  WriteLe32(&bytes[2], static_cast<uint32_t>(bytes.size()));
  WriteLe32(&bytes[10], static_cast<uint32_t>(kFileHeaderSize + kBlockHeadSize));
  std::memcpy(&bytes[kFileHeaderSize], image.data(), blockSize);
  const int32_t t = frames.transparentIndex;
  if (t >= 0 && t <= 255) {
    uint8_t* entry = &bytes[kFileHeaderSize + kDibHeaderSize + sizeof(Rgbq) * t];
    entry[0] = static_cast<uint8_t>(backgroundColor >> 16);  // blue
    entry[1] = static_cast<uint8_t>(backgroundColor >> 8);   // green
    entry[2] = static_cast<uint8_t>(backgroundColor);        // red
    entry[3] = 0;
  }
  return Outcome::Done();
}

Outcome WriteFrameBitmapFile(const std::string& path, const FrameSet& frames,
                         uint32_t backgroundColor) {
  std::vector<uint8_t> bytes;
  if (const Outcome built = BuildFrameBitmapFile(frames, backgroundColor, bytes); !built.done()) {
    return built;
  }
  if (!WriteFileAtomically(path, bytes.data(), bytes.size())) return Outcome::Failed(kMsgFileError);
  return Outcome::Done();
}

PackedDib BuildFrameBitmapImage(const FrameSet& frames) {
  PackedDib image;
  if (!BuildImage(frames, &image).done()) return {};
  return image;
}

bool IsFrameBitmap(const PackedDib& image) {
  PackedDib converted;
  PixelView view;
  FrameBitmapInfo info;
  return ViewFrameBitmap(image, &converted, &view) && ParseFrameBitmap(view, &info);
}

bool IsFrameBitmapFile(const std::string& path) {
  PackedDib image;
  if (ReadBmpFile(image, path) != kBmpReadOk || !image) return false;
  return IsFrameBitmap(image);
}

Outcome ReadFrameBitmap(const PackedDib& image, FrameSet& frames, int* framesInFile) {
  PackedDib converted;
  PixelView v;
  FrameBitmapInfo info;
  if (!ViewFrameBitmap(image, &converted, &v) || !ParseFrameBitmap(v, &info) ||
      frames.capacity() < 1) {
    frames.FreeFrames();
    return Outcome::Failed(kMsgNotFrameBitmap);
  }
  // Like the GIF reader, keep what the frame store can hold.
  const int32_t count = std::min(info.count, frames.capacity());
  if (framesInFile) *framesInFile = info.count;

  // A compact table of the entries the picture uses, in index order.
  bool used[256] = {};
  for (int32_t r = 0; r < v.height; ++r) {
    const uint8_t* p = v.StoredRow(r);
    for (int32_t c = 0; c < v.width; ++c) used[p[c]] = true;
  }
  uint8_t renumber[256] = {};
  Rgbq compact[256];
  uint32_t colors = 0;
  for (uint32_t i = 0; i < 256; ++i) {
    if (!used[i]) continue;
    renumber[i] = static_cast<uint8_t>(colors);
    compact[colors++] = v.table[i];
  }

  std::vector<PackedDib> pictures;
  pictures.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    PackedDib picture = NewPicture(info.frameWidth, info.frameHeight, 8, colors, compact);
    if (!picture) {
      frames.FreeFrames();
      return Outcome::Failed(kMsgNoMemory);
    }
    const size_t outStride = picture.Stride();
    uint8_t* out = picture.Pixels();
    const int32_t left = info.FrameLeft(i);
    for (int32_t r = 0; r < info.frameHeight; ++r) {
      const uint8_t* p = v.StoredRow(kFirstFrameRow + r) + left;
      uint8_t* d = out + static_cast<size_t>(r) * outStride;
      for (int32_t c = 0; c < info.frameWidth; ++c) d[c] = renumber[p[c]];
    }
    pictures.push_back(std::move(picture));
  }

  const int32_t transparent = info.transparent < 0 ? -1 : renumber[info.transparent];
  frames.FreeFrames();
  frames.screenWidth = info.frameWidth;
  frames.screenHeight = info.frameHeight;
  frames.transparentIndex = transparent;
  for (int32_t i = 0; i < count; ++i) {
    Frame& frame = frames.frame(i);
    frame = Frame{};
    frame.image = std::move(pictures[static_cast<size_t>(i)]);
    frame.delay = info.delays[static_cast<size_t>(i)];
    frame.transparentIndex = transparent;
  }
  frames.count = count;
  return Outcome::Done();
}

Outcome ReadFrameBitmapFile(const std::string& path, FrameSet& frames, int* framesInFile) {
  PackedDib image;
  int result = ReadBmpFile(image, path);
  if (result != kBmpReadOk && result != kBmpNoMemory) {
    frames.FreeFrames();
    return Outcome::Failed(kMsgBadImageFile);
  }
  if (result != kBmpReadOk || !image) {
    frames.FreeFrames();
    return Outcome::Failed(kMsgNoMemory);
  }
  return ReadFrameBitmap(image, frames, framesInFile);
}

PackedDib IndexTrueColorImage(const PackedDib& image) {
  PixelView v;
  if (!ViewPicture(image, 24, &v)) return {};
  std::vector<uint32_t> colors;
  ColorIndex index;
  uint32_t lastColor = 0xFFFFFFFF;
  for (int32_t r = 0; r < v.height; ++r) {
    const uint8_t* p = v.StoredRow(r);
    for (int32_t c = 0; c < v.width; ++c, p += 3) {
      const uint32_t color = TrueColorAt(p);
      if (color == lastColor) continue;
      lastColor = color;
      if (index.Find(color) >= 0) continue;
      if (colors.size() == kMaxDistinctTrueColors) return {};
      index.Insert(color, static_cast<uint32_t>(colors.size()));
      colors.push_back(color);
    }
  }
  if (colors.size() < 2) return {};
  // The dashed mark's colour becomes entry 0, the colour of the 0 bits and the borders.
  if (v.width > kDashColumn) {
    const int mark = index.Find(TrueColorAt(v.StoredRow(0) + 3 * kDashColumn));
    std::swap(colors[0], colors[static_cast<size_t>(mark)]);
    index.Clear();
    for (size_t i = 0; i < colors.size(); ++i) index.Insert(colors[i], static_cast<uint32_t>(i));
  }
  Rgbq table[256];
  for (size_t i = 0; i < colors.size(); ++i) {
    table[i] = Rgbq{static_cast<uint8_t>(colors[i]), static_cast<uint8_t>(colors[i] >> 8),
                    static_cast<uint8_t>(colors[i] >> 16), 0};
  }
  PackedDib out = NewPicture(v.width, v.height, 8, static_cast<uint32_t>(colors.size()), table);
  if (!out) return out;
  const size_t outStride = out.Stride();
  for (int32_t r = 0; r < v.height; ++r) {
    const uint8_t* p = v.StoredRow(r);
    uint8_t* d = out.Pixels() + static_cast<size_t>(r) * outStride;
    for (int32_t c = 0; c < v.width; ++c, p += 3) {
      d[c] = static_cast<uint8_t>(index.Find(TrueColorAt(p)));
    }
  }
  return out;
}

bool ConvertFrameBitmapFile(const std::string& path) {
  PackedDib image;
  if (ReadBmpFile(image, path) != kBmpReadOk || !image) return false;
  PackedDib converted = IndexTrueColorImage(image);
  return converted && WriteBmpFile(converted, path);
}

}  // namespace zel
