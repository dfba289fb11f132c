#include "support/gif_builder.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "imagefiles/gif_encoder.h"

namespace zel::testing {

int TableBits(size_t count) {
  int bits = 1;
  while ((size_t{1} << bits) < count) ++bits;
  return bits;
}

GifBuilder::GifBuilder(int width, int height, const std::vector<Rgb>& globalTable, int background,
                       const char* signature) {
  bytes_.assign(signature, signature + 6);
  Le16(width);
  Le16(height);
  if (globalTable.empty()) {
    bytes_.push_back(0);
  } else {
    globalBits_ = TableBits(globalTable.size());
    bytes_.push_back(static_cast<uint8_t>(0xF0 | (globalBits_ - 1)));
  }
  bytes_.push_back(static_cast<uint8_t>(background));
  bytes_.push_back(0);
  if (!globalTable.empty()) Table(globalTable);
}

void GifBuilder::Le16(int v) {
  bytes_.push_back(static_cast<uint8_t>(v));
  bytes_.push_back(static_cast<uint8_t>(v >> 8));
}

void GifBuilder::Table(const std::vector<Rgb>& table) {
  size_t entries = size_t{1} << TableBits(table.size());
  for (size_t i = 0; i < entries; ++i) {
    Rgb c = i < table.size() ? table[i] : Rgb{0, 0, 0};
    bytes_.push_back(c.r);
    bytes_.push_back(c.g);
    bytes_.push_back(c.b);
  }
}

void GifBuilder::SubBlocks(const std::vector<uint8_t>& data) {
  for (size_t at = 0; at < data.size(); at += 255) {
    size_t n = std::min<size_t>(255, data.size() - at);
    bytes_.push_back(static_cast<uint8_t>(n));
    bytes_.insert(bytes_.end(), data.begin() + at, data.begin() + at + n);
  }
  bytes_.push_back(0);
}

GifBuilder& GifBuilder::Control(int packed, int delay, int transparent) {
  const uint8_t block[] = {0x21,
                           0xF9,
                           0x04,
                           static_cast<uint8_t>(packed),
                           static_cast<uint8_t>(delay),
                           static_cast<uint8_t>(delay >> 8),
                           static_cast<uint8_t>(transparent),
                           0x00};
  bytes_.insert(bytes_.end(), block, block + sizeof block);
  return *this;
}

GifBuilder& GifBuilder::Looping(int count, const char* name) {
  const uint8_t head[] = {0x21, 0xFF, 0x0B};
  bytes_.insert(bytes_.end(), head, head + sizeof head);
  bytes_.insert(bytes_.end(), name, name + 11);
  const uint8_t tail[] = {0x03, 0x01, static_cast<uint8_t>(count),
                          static_cast<uint8_t>(count >> 8), 0x00};
  bytes_.insert(bytes_.end(), tail, tail + sizeof tail);
  return *this;
}

GifBuilder& GifBuilder::Comment(const std::string& text) {
  bytes_.push_back(0x21);
  bytes_.push_back(0xFE);
  SubBlocks(std::vector<uint8_t>(text.begin(), text.end()));
  return *this;
}

GifBuilder& GifBuilder::Image(int left, int top, int width, int height,
                              const std::vector<uint8_t>& pixels,
                              const std::vector<Rgb>& localTable, bool interlaced, int codeSize) {
  if (codeSize == 0) {
    int bits = localTable.empty() ? globalBits_ : TableBits(localTable.size());
    codeSize = bits < 2 ? 2 : bits;
  }
  std::vector<uint8_t> order = pixels;
  if (interlaced) {
    // GIF stores interlaced rows pass by pass: 0,8,..; 4,12,..; 2,6,..; 1,3,..
    order.clear();
    const int starts[4] = {0, 4, 2, 1};
    const int steps[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
      for (int y = starts[pass]; y < height; y += steps[pass]) {
        order.insert(order.end(), pixels.begin() + y * width, pixels.begin() + (y + 1) * width);
      }
    }
  }
  return RawImage(left, top, width, height, codeSize,
                  LzwEncodePixels(order.data(), order.size(), codeSize, false), localTable,
                  interlaced);
}

GifBuilder& GifBuilder::RawImage(int left, int top, int width, int height, int codeSize,
                                 const std::vector<uint8_t>& data,
                                 const std::vector<Rgb>& localTable, bool interlaced) {
  bytes_.push_back(0x2C);
  Le16(left);
  Le16(top);
  Le16(width);
  Le16(height);
  uint8_t packed = interlaced ? 0x40 : 0;
  if (!localTable.empty())
    packed |= static_cast<uint8_t>(0x80 | (TableBits(localTable.size()) - 1));
  bytes_.push_back(packed);
  if (!localTable.empty()) Table(localTable);
  bytes_.push_back(static_cast<uint8_t>(codeSize));
  SubBlocks(data);
  return *this;
}

GifBuilder& GifBuilder::Byte(uint8_t b) {
  bytes_.push_back(b);
  return *this;
}

GifBuilder& GifBuilder::Trailer() {
  return Byte(0x3B);
}

std::vector<uint8_t> PackCodes(const std::vector<std::pair<int, int>>& codesAndWidths) {
  std::vector<uint8_t> out;
  uint32_t acc = 0;
  int bits = 0;
  for (auto [code, width] : codesAndWidths) {
    acc |= static_cast<uint32_t>(code) << bits;
    bits += width;
    while (bits >= 8) {
      out.push_back(static_cast<uint8_t>(acc));
      acc >>= 8;
      bits -= 8;
    }
  }
  if (bits > 0) out.push_back(static_cast<uint8_t>(acc));
  return out;
}

std::vector<uint8_t> PicturePixels(const PackedDib& picture) {
  DibHeader h = picture.Header();
  std::vector<uint8_t> out;
  for (int y = 0; y < h.height; ++y) {
    const uint8_t* row = picture.Row(y);
    out.insert(out.end(), row, row + h.width);
  }
  return out;
}

PackedDib MakePicture(int width, int height, const std::vector<uint8_t>& pixels,
                      const std::vector<Rgb>& table) {
  std::vector<Rgbq> quads;
  for (const Rgb& c : table) quads.push_back(Rgbq{c.b, c.g, c.r, 0});
  PackedDib picture =
      NewPicture(width, height, 8, static_cast<uint32_t>(quads.size()), quads.data());
  for (int y = 0; y < height; ++y) {
    std::memcpy(picture.Row(y), pixels.data() + static_cast<size_t>(y) * width, width);
  }
  return picture;
}

Rgb PixelColor(const PackedDib& picture, int x, int y) {
  Rgbq q = picture.ColorTable()[picture.Row(y)[x]];
  return Rgb{q.red, q.green, q.blue};
}

namespace {

// Folders made by MakeTempDir, removed when the test program ends.
class TempFolders {
 public:
  ~TempFolders() {
    for (const std::string& dir : folders_) {
      std::error_code ignored;
      std::filesystem::remove_all(dir, ignored);
    }
  }
  void Add(const std::string& dir) { folders_.push_back(dir); }

 private:
  std::vector<std::string> folders_;
};

}  // namespace

std::string MakeTempDir() {
  static TempFolders folders;
  char pattern[] = "/tmp/zel-test-XXXXXX";
  if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
  folders.Add(pattern);
  return pattern;
}

}  // namespace zel::testing
