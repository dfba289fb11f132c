// Builds GIF files byte by byte for tests, so each case shows exactly the blocks it needs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/frame_set.h"
#include "document/packed_dib.h"

namespace zel::testing {

struct Rgb {
  uint8_t r, g, b;
};

class GifBuilder {
 public:
  // Header and logical screen; `globalTable` empty means no global colour table.
  GifBuilder(int width, int height, const std::vector<Rgb>& globalTable, int background = 0,
             const char* signature = "GIF89a");

  GifBuilder& Control(int packed, int delay, int transparent);
  // The looping extension with its count, under either of its two names.
  GifBuilder& Looping(int count = 0, const char* name = "NETSCAPE2.0");
  GifBuilder& Comment(const std::string& text);
  // An image block whose pixels (row-major, top row first) are LZW-encoded here.
  GifBuilder& Image(int left, int top, int width, int height, const std::vector<uint8_t>& pixels,
                    const std::vector<Rgb>& localTable = {}, bool interlaced = false,
                    int codeSize = 0);
  // An image block with the given code-size byte and raw LZW data bytes.
  GifBuilder& RawImage(int left, int top, int width, int height, int codeSize,
                       const std::vector<uint8_t>& data, const std::vector<Rgb>& localTable = {},
                       bool interlaced = false);
  GifBuilder& Byte(uint8_t b);
  GifBuilder& Trailer();

  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  void Le16(int v);
  void Table(const std::vector<Rgb>& table);
  void SubBlocks(const std::vector<uint8_t>& data);
  std::vector<uint8_t> bytes_;
  int globalBits_ = 0;
};

// Colour-table bits (table of 2^bits entries) for `count` colours.
int TableBits(size_t count);

// Packs codes of the given widths least-significant bit first.
std::vector<uint8_t> PackCodes(const std::vector<std::pair<int, int>>& codesAndWidths);

// Pixel rows (top first, unpadded) of an 8-bit picture.
std::vector<uint8_t> PicturePixels(const PackedDib& picture);
// An 8-bit picture from row-major pixels and a table.
PackedDib MakePicture(int width, int height, const std::vector<uint8_t>& pixels,
                      const std::vector<Rgb>& table);

// Colour of an 8-bit picture's pixel through its table.
Rgb PixelColor(const PackedDib& picture, int x, int y);

std::string MakeTempDir();

}  // namespace zel::testing
