#include "support/hostile_files.h"

#include <zlib.h>

#include <climits>

#include "document/packed_dib.h"
#include "imagefiles/jpeg_writer.h"
#include "resources/string_table.h"
#include "support/gif_builder.h"

namespace zel::testing {
namespace {

const std::vector<Rgb> kTwo = {{0, 0, 0}, {255, 255, 255}};

// Clear, colour 1, end: one pixel of data.
std::vector<uint8_t> OnePixel() {
  return PackCodes({{4, 3}, {1, 3}, {5, 3}});
}

std::vector<HostileFile> GifFiles() {
  std::vector<HostileFile> files;
  files.push_back(
      {"gif-huge-picture.gif", "35 bytes declaring 65535 x 65535",
       GifBuilder(65535, 65535, kTwo).RawImage(0, 0, 65535, 65535, 2, OnePixel()).Trailer().bytes(),
       0});
  {
    GifBuilder gif(20000, 20000, kTwo);
    for (int i = 0; i < 3; ++i) gif.RawImage(0, 0, 20000, 20000, 2, PackCodes({{4, 3}, {1, 3}}));
    files.push_back({"gif-three-huge-frames.gif", "three 20000 x 20000 frames in 65 bytes",
                     gif.Trailer().bytes(), MessageNumber(kMsgPictureTooLarge)});
  }
  {
    std::vector<uint8_t> bomb = MostExpandingLzwData(100000);
    bomb.resize(300);
    files.push_back(
        {"gif-lzw-bomb.gif", "300 bytes of the most expanding LZW data, 65535 x 65535",
         GifBuilder(65535, 65535, kTwo).RawImage(0, 0, 65535, 65535, 2, bomb).Trailer().bytes(),
         0});
  }
  files.push_back({"gif-interlaced-huge.gif", "interlaced 65535 x 65535 with one pixel of data",
                   GifBuilder(65535, 65535, kTwo)
                       .RawImage(0, 0, 65535, 65535, 2, OnePixel(), {}, true)
                       .Trailer()
                       .bytes(),
                   0});
  {
    GifBuilder gif(1, 1, kTwo);
    for (int i = 0; i < 20; ++i) gif.RawImage(0, 0, 16000, 16000, 2, OnePixel());
    files.push_back({"gif-many-huge-frames.gif", "20 frames of 16000 x 16000 on a 1 x 1 screen",
                     gif.Trailer().bytes(), 0});
  }
  {
    GifBuilder gif(65535, 65535, kTwo);
    for (int i = 0; i < 2; ++i) gif.RawImage(0, 0, 1, 1, 2, OnePixel());
    files.push_back({"gif-huge-screen.gif", "two 1 x 1 frames on a 65535 x 65535 screen",
                     gif.Trailer().bytes(), MessageNumber(kMsgPictureTooLarge)});
  }
  {
    GifBuilder gif(0, 0, kTwo);
    for (int i = 0; i < 2; ++i) gif.RawImage(65000, 65000, 535, 535, 2, OnePixel());
    files.push_back({"gif-empty-screen-far-frames.gif",
                     "screen 0 x 0, frames at 65000,65000 that stretch it to 65535 x 65535",
                     gif.Trailer().bytes(), MessageNumber(kMsgPictureTooLarge)});
  }
  {
    // A global table of 256 entries claimed by a file of 20 bytes.
    std::vector<uint8_t> bytes = {'G', 'I', 'F', '8', '9', 'a', 0xFF, 0xFF, 0xFF, 0xFF, 0xF7, 0, 0};
    bytes.resize(20, 0x2C);
    files.push_back({"gif-claimed-table.gif", "a 256-entry colour table claimed by 20 bytes", bytes,
                     MessageNumber(kMsgBadImageFile)});
  }
  {
    std::vector<uint8_t> bytes = GifBuilder(10, 10, kTwo).bytes();
    bytes.insert(bytes.end(), {0x21, 0xFE, 0xFF, 'x'});
    files.push_back({"gif-endless-extension.gif", "an extension sub-block running off the end",
                     bytes, MessageNumber(kMsgBadImageFile)});
  }
  return files;
}

void Be32(std::vector<uint8_t>& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

void Chunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data,
           uint32_t declaredLength = UINT32_MAX) {
  Be32(png, declaredLength == UINT32_MAX ? static_cast<uint32_t>(data.size()) : declaredLength);
  std::vector<uint8_t> body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  png.insert(png.end(), body.begin(), body.end());
  Be32(png, static_cast<uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
}

// A PNG of the declared size whose image data is `rawBytes` zero bytes, deflated.
std::vector<uint8_t> Png(uint32_t w, uint32_t h, uint8_t depth, uint8_t colorType,
                         size_t rawBytes) {
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> ihdr;
  Be32(ihdr, w);
  Be32(ihdr, h);
  ihdr.insert(ihdr.end(), {depth, colorType, 0, 0, 0});
  Chunk(png, "IHDR", ihdr);
  std::vector<uint8_t> raw(rawBytes, 0);
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::vector<uint8_t> packed(size);
  compress2(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9);
  packed.resize(size);
  Chunk(png, "IDAT", packed);
  Chunk(png, "IEND", {});
  return png;
}

std::vector<HostileFile> PngFiles() {
  std::vector<HostileFile> files;
  files.push_back({"png-million-side.png", "1000000 x 1000000 declared",
                   Png(1000000, 1000000, 1, 0, 16), MessageNumber(kMsgPictureTooLarge)});
  files.push_back({"png-beyond-any-side.png", "2147483647 x 2147483647 declared",
                   Png(INT32_MAX, INT32_MAX, 1, 0, 16), MessageNumber(kMsgBadImageFile)});
  files.push_back({"png-too-large.png", "30000 x 30000: 2.7 GB as 24-bit rows",
                   Png(30000, 30000, 1, 0, 16), MessageNumber(kMsgPictureTooLarge)});
  files.push_back({"png-zlib-bomb.png", "2000 x 2000 from 256 KB of zeros deflated to 300 bytes",
                   Png(2000, 2000, 8, 0, 256 * 1024), MessageNumber(kMsgPictureTooLarge)});
  files.push_back({"png-zlib-within.png", "500 x 500 inflated from 300 bytes: within the ratio",
                   Png(500, 500, 8, 0, 501 * 500), 0});
  {
    std::vector<uint8_t> png = Png(4, 4, 8, 3, 20);
    std::vector<uint8_t> withPalette(png.begin(), png.begin() + 33);
    Chunk(withPalette, "PLTE", {1, 2, 3}, 0x7FFFFF00);
    files.push_back({"png-claimed-palette.png", "a palette chunk claiming 2 GB", withPalette,
                     MessageNumber(kMsgBadImageFile)});
  }
  return files;
}

std::vector<uint8_t> JpegOfSize(int width, int height) {
  std::vector<uint8_t> file;
  BuildJpegData(NewPicture(8, 8, 24, 0), 75, file);
  for (size_t p = 2; p + 9 < file.size(); ++p) {
    if (file[p] == 0xFF && file[p + 1] == 0xC0) {
      file[p + 5] = static_cast<uint8_t>(height >> 8);
      file[p + 6] = static_cast<uint8_t>(height);
      file[p + 7] = static_cast<uint8_t>(width >> 8);
      file[p + 8] = static_cast<uint8_t>(width);
      break;
    }
  }
  return file;
}

std::vector<HostileFile> JpegFiles() {
  return {
      {"jpeg-65500-square.jpg", "a frame header of 65500 x 65500", JpegOfSize(65500, 65500),
       MessageNumber(kMsgPictureTooLarge)},
      {"jpeg-4000-square.jpg", "4000 x 4000 in a few hundred bytes", JpegOfSize(4000, 4000),
       MessageNumber(kMsgPictureTooLarge)},
      {"jpeg-2000-square.jpg", "2000 x 2000 in a few hundred bytes: small enough to open",
       JpegOfSize(2000, 2000), 0},
      {"jpeg-zero-width.jpg", "width 0", JpegOfSize(0, 8), MessageNumber(kMsgBadImageFile)},
  };
}

void Le32(std::vector<uint8_t>& out, uint32_t v) {
  for (int s = 0; s < 32; s += 8) out.push_back(static_cast<uint8_t>(v >> s));
}

struct BmpHeader {
  int32_t width = 4, height = 4;
  uint16_t bits = 24;
  uint32_t compression = 0;
  uint32_t colors = 0;
  uint32_t pixelOffset = 54;
};

std::vector<uint8_t> Bmp(const BmpHeader& h, size_t payload) {
  std::vector<uint8_t> bmp = {'B', 'M'};
  Le32(bmp, static_cast<uint32_t>(54 + payload));
  Le32(bmp, 0);
  Le32(bmp, h.pixelOffset);
  Le32(bmp, 40);
  Le32(bmp, static_cast<uint32_t>(h.width));
  Le32(bmp, static_cast<uint32_t>(h.height));
  bmp.insert(bmp.end(), {1, 0, static_cast<uint8_t>(h.bits), static_cast<uint8_t>(h.bits >> 8)});
  Le32(bmp, h.compression);
  Le32(bmp, 0);
  Le32(bmp, 0);
  Le32(bmp, 0);
  Le32(bmp, h.colors);
  Le32(bmp, 0);
  bmp.resize(bmp.size() + payload, 0x40);
  return bmp;
}

std::vector<HostileFile> BmpFiles() {
  std::vector<HostileFile> files;
  files.push_back({"bmp-huge-width.bmp", "width 2147483647",
                   Bmp({.width = INT32_MAX, .height = 1}, 200), MessageNumber(kMsgBadImageFile)});
  files.push_back({"bmp-lowest-height.bmp", "height -2147483648", Bmp({.height = INT32_MIN}, 200),
                   MessageNumber(kMsgBadImageFile)});
  files.push_back({"bmp-top-down-huge.bmp", "30000 x -30000, rows not in the file",
                   Bmp({.width = 30000, .height = -30000}, 200), MessageNumber(kMsgBadImageFile)});
  files.push_back({"bmp-far-offset.bmp", "pixel data offset 0xFFFFFFF0",
                   Bmp({.pixelOffset = 0xFFFFFFF0}, 200), MessageNumber(kMsgBadImageFile)});
  files.push_back({"bmp-claimed-colours.bmp", "8 bits with 4294967295 colours claimed",
                   Bmp({.bits = 8, .colors = UINT32_MAX}, 200), MessageNumber(kMsgBadImageFile)});
  {
    // A 12-byte core header declaring 65535 x 65535 at 1 bit.
    std::vector<uint8_t> bmp = {'B', 'M'};
    Le32(bmp, 300);
    Le32(bmp, 0);
    Le32(bmp, 32);
    Le32(bmp, 12);
    bmp.insert(bmp.end(), {0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 1, 0});
    bmp.resize(300, 0x55);
    files.push_back(
        {"bmp-core-huge.bmp", "core header, 65535 x 65535 at 1 bit", bmp, MessageNumber(kMsgBadImageFile)});
  }
  {
    // Bit fields of 16 bits whose masks are all 0: every pixel black.
    std::vector<uint8_t> bmp = Bmp({.bits = 16, .compression = 3, .pixelOffset = 66}, 12 + 32);
    for (size_t i = 54; i < 66; ++i) bmp[i] = 0;
    files.push_back({"bmp-zero-masks.bmp", "16-bit bit fields with masks 0", bmp, 0});
  }
  return files;
}

}  // namespace

std::vector<uint8_t> MostExpandingLzwData(uint64_t pixels) {
  std::vector<std::pair<int, int>> codes = {{4, 3}, {1, 3}};
  int width = 3;
  uint32_t nextFree = 6;
  uint64_t produced = 1;
  uint32_t length = 1;
  while (produced < pixels) {
    if (nextFree < 4096) {
      codes.push_back({static_cast<int>(nextFree), width});
      length += 1;
      if (++nextFree == (1u << width) && width < 12) ++width;
    } else {
      codes.push_back({4095, 12});
    }
    produced += length;
  }
  codes.push_back({5, width});
  return PackCodes(codes);
}

std::vector<HostileFile> HostileFiles() {
  std::vector<HostileFile> all;
  for (auto* part : {&GifFiles, &PngFiles, &JpegFiles, &BmpFiles}) {
    std::vector<HostileFile> files = (*part)();
    all.insert(all.end(), files.begin(), files.end());
  }
  return all;
}

}  // namespace zel::testing
