// Animated PNG files open as animations: frames composed with every dispose and blend rule,
// delays and plays, our own writer's files read back exactly, and broken or oversized files
// refused with the document left as it was.
#include "imagefiles/apng_reader.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "imagefiles/image_loader.h"
#include "imagefiles/memory_budget.h"
#include "imagefiles/png_writer.h"
#include "resources/string_table.h"
#include "support/gif_builder.h"
#include "support/picture_fixtures.h"

namespace zel {
namespace {

using testing::MakeTempDir;

constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kClear = 0x00000000;

void PutBe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}
void PutBe16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v >> 8));
  out.push_back(uint8_t(v));
}

// Pixels of a frame as 0xAARRGGBB, rows top-down.
struct Pixels {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint32_t> argb;
  static Pixels Filled(uint32_t w, uint32_t h, uint32_t colour) {
    return Pixels{w, h, std::vector<uint32_t>(size_t{w} * h, colour)};
  }
  Pixels& Set(uint32_t x, uint32_t y, uint32_t colour) {
    argb[size_t{y} * width + x] = colour;
    return *this;
  }
  // RGBA rows, each after filter byte 0, compressed.
  std::vector<uint8_t> Compressed() const {
    std::vector<uint8_t> raw;
    for (uint32_t y = 0; y < height; ++y) {
      raw.push_back(0);
      for (uint32_t x = 0; x < width; ++x) {
        const uint32_t c = argb[size_t{y} * width + x];
        raw.insert(raw.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), uint8_t(c >> 24)});
      }
    }
    std::vector<uint8_t> out(compressBound(raw.size()));
    uLongf length = out.size();
    EXPECT_EQ(compress(out.data(), &length, raw.data(), raw.size()), Z_OK);
    out.resize(length);
    return out;
  }
};

// An RGBA animated PNG chunk by chunk; each chunk can be spoilt afterwards.
class ApngBuilder {
 public:
  struct Chunk {
    std::string type;
    std::vector<uint8_t> body;
    bool badCrc = false;
  };

  ApngBuilder(uint32_t width, uint32_t height, uint32_t frames, uint32_t plays) {
    std::vector<uint8_t> ihdr;
    PutBe32(ihdr, width);
    PutBe32(ihdr, height);
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
    chunks.push_back({"IHDR", ihdr});
    std::vector<uint8_t> actl;
    PutBe32(actl, frames);
    PutBe32(actl, plays);
    chunks.push_back({"acTL", actl});
  }

  // The default image, not part of the animation unless a frame came before it.
  ApngBuilder& Default(const Pixels& p) {
    chunks.push_back({"IDAT", p.Compressed()});
    return *this;
  }
  // A frame: before any IDAT it becomes the default image too.
  ApngBuilder& Frame(const Pixels& p, uint32_t x, uint32_t y, uint16_t num, uint16_t den,
                     uint8_t dispose = 0, uint8_t blend = 0) {
    std::vector<uint8_t> fctl;
    PutBe32(fctl, sequence_++);
    PutBe32(fctl, p.width);
    PutBe32(fctl, p.height);
    PutBe32(fctl, x);
    PutBe32(fctl, y);
    PutBe16(fctl, num);
    PutBe16(fctl, den);
    fctl.push_back(dispose);
    fctl.push_back(blend);
    chunks.push_back({"fcTL", fctl});
    bool haveIdat = false;
    for (const Chunk& c : chunks) haveIdat = haveIdat || c.type == "IDAT";
    if (!haveIdat) {
      chunks.push_back({"IDAT", p.Compressed()});
    } else {
      std::vector<uint8_t> fdat;
      PutBe32(fdat, sequence_++);
      const std::vector<uint8_t> data = p.Compressed();
      fdat.insert(fdat.end(), data.begin(), data.end());
      chunks.push_back({"fdAT", fdat});
    }
    return *this;
  }

  std::vector<uint8_t> bytes() const {
    std::vector<uint8_t> out = {137, 'P', 'N', 'G', 13, 10, 26, 10};
    std::vector<Chunk> all = chunks;
    all.push_back({"IEND", {}});
    for (const Chunk& c : all) {
      PutBe32(out, uint32_t(c.body.size()));
      const size_t typeAt = out.size();
      out.insert(out.end(), c.type.begin(), c.type.end());
      out.insert(out.end(), c.body.begin(), c.body.end());
      uint32_t crc = uint32_t(crc32(0, &out[typeAt], uInt(4 + c.body.size())));
      PutBe32(out, c.badCrc ? crc ^ 1u : crc);
    }
    return out;
  }

  Chunk& Find(const std::string& type, int nth = 0) {
    for (Chunk& c : chunks) {
      if (c.type == type && nth-- == 0) return c;
    }
    ADD_FAILURE() << "no " << type;
    return chunks.front();
  }

  std::vector<Chunk> chunks;

 private:
  uint32_t sequence_ = 0;
};

// What a pixel of a document picture shows, top row first: 0xFFRRGGBB, or kClear for the
// transparent index.
uint32_t Shown(const PackedDib& picture, int32_t transparentIndex, int x, int y) {
  const DibHeader h = picture.Header();
  const uint8_t* row = picture.Row(y);
  if (h.bitCount == 8) {
    if (row[x] == transparentIndex) return kClear;
    const Rgbq q = picture.ColorTable()[row[x]];
    return 0xFF000000u | uint32_t{q.red} << 16 | q.green << 8 | q.blue;
  }
  const uint8_t* p = row + 3 * x;
  return 0xFF000000u | uint32_t{p[2]} << 16 | p[1] << 8 | p[0];
}

class ApngLoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = MakeTempDir();
    ASSERT_TRUE(CreateDocumentContainer(doc, 16));
    context.lastImagePath = &lastImagePath;
  }
  void TearDown() override { SetPictureMemoryBudget(0); }
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
  }
  Outcome Load(const std::string& path) {
    return LoadImageFile(doc, path, LoadMode::kOpen, context);
  }
  // Each frame's rows as letters: R red, G green, B blue, . transparent, ? anything else.
  std::vector<std::vector<std::string>> Letters() const {
    std::vector<std::vector<std::string>> all;
    const FrameSet& set = *doc.frameSet;
    for (int i = 0; i < set.count; ++i) {
      std::vector<std::string> rows;
      for (int y = 0; y < set.screenHeight; ++y) {
        std::string row;
        for (int x = 0; x < set.screenWidth; ++x) {
          const uint32_t c = Shown(set.frame(i).image, set.frame(i).transparentIndex, x, y);
          row += c == kRed ? 'R' : c == kGreen ? 'G' : c == kBlue ? 'B' : c == kClear ? '.' : '?';
        }
        rows.push_back(row);
      }
      all.push_back(rows);
    }
    return all;
  }

  std::string dir;
  DocumentState doc;
  std::string lastImagePath;
  LoadContext context;
};

// Frames over part of the canvas with every dispose and blend rule: the document holds each
// frame as shown; the delays keep the running total true; three plays are two repetitions.
TEST_F(ApngLoadTest, FramesAreComposedWithDisposeAndBlend) {
  Pixels first = Pixels::Filled(4, 3, kRed);
  first.Set(0, 0, kClear);
  Pixels patch = Pixels::Filled(2, 2, kBlue);
  patch.Set(1, 1, kClear);  // blended over: the red beneath shows
  ApngBuilder b(4, 3, 5, 3);
  b.Frame(first, 0, 0, 1, 3)
      .Frame(patch, 2, 0, 1, 3, /*dispose=*/0, /*blend=*/1)
      .Frame(Pixels::Filled(2, 1, kGreen), 0, 2, 1, 3, /*dispose=*/1)  // then cleared
      .Frame(Pixels::Filled(3, 1, kBlue), 1, 1, 25, 0, /*dispose=*/2)  // then undone
      .Frame(Pixels::Filled(1, 1, kGreen), 3, 2, 7, 1000);
  const std::string path = Write("anim.png", b.bytes());
  ASSERT_TRUE(Load(path).done());
  EXPECT_EQ(doc.kind, ImageKind::kFrameAnimation);
  EXPECT_EQ(lastImagePath, path);
  EXPECT_EQ(context.framesInFile, 5);
  const FrameSet& set = *doc.frameSet;
  ASSERT_EQ(set.count, 5);
  EXPECT_EQ(set.loopCount, 2);
  EXPECT_EQ(set.paletteCount, 4);  // red, green, blue and the transparent entry
  // 33.3, 66.7, 100, 125, 125.7 hundredths from the start.
  const int32_t delays[] = {33, 34, 33, 25, 1};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(set.frame(i).delay, delays[i]) << i;
  const std::vector<std::vector<std::string>> want = {
      {".RRR", "RRRR", "RRRR"},
      {".RBB", "RRBR", "RRRR"},
      {".RBB", "RRBR", "GGRR"},
      {".RBB", "RBBB", "..RR"},
      {".RBB", "RRBR", "..RG"},
  };
  EXPECT_EQ(Letters(), want);
}

// A default image that is not part of the animation is not shown, not even when only one
// frame is kept.
TEST_F(ApngLoadTest, DefaultImageOutsideTheAnimationIsSkipped) {
  ApngBuilder b(2, 1, 2, 1);
  b.Default(Pixels::Filled(2, 1, kBlue))
      .Frame(Pixels::Filled(2, 1, kRed), 0, 0, 10, 100)
      .Frame(Pixels::Filled(1, 1, kGreen), 1, 0, 20, 100);
  ASSERT_TRUE(Load(Write("skip.png", b.bytes())).done());
  EXPECT_EQ(doc.frameSet->loopCount, kPlayOnce);
  EXPECT_EQ(Letters(), (std::vector<std::vector<std::string>>{{"RR"}, {"RG"}}));
  EXPECT_EQ(doc.frameSet->frame(1).delay, 20);

  // Room for one frame: that frame alone, with its transparent entry in the picture; when the
  // default image is the first frame, the still picture is read instead.
  FrameSet one(1);
  ApngBuilder clear(2, 1, 2, 0);
  clear.Default(Pixels::Filled(2, 1, kBlue))
      .Frame(Pixels::Filled(2, 1, kRed).Set(0, 0, kClear), 0, 0, 10, 100)
      .Frame(Pixels::Filled(1, 1, kGreen), 1, 0, 20, 100);
  const std::vector<uint8_t> bytes = clear.bytes();
  int inFile = 0;
  ASSERT_EQ(ReadApngData(bytes.data(), bytes.size(), one, 1, &inFile), ApngReadResult::kOk);
  EXPECT_EQ(inFile, 2);
  ASSERT_EQ(one.count, 1);
  int32_t index = -1;
  ASSERT_TRUE(ReadTransparencyTrailer(one.frame(0).image, &index));
  EXPECT_EQ(Shown(one.frame(0).image, index, 0, 0), kClear);
  EXPECT_EQ(Shown(one.frame(0).image, index, 1, 0), kRed);
  ApngBuilder firstIsDefault(2, 1, 2, 0);
  firstIsDefault.Frame(Pixels::Filled(2, 1, kRed), 0, 0, 10, 100)
      .Frame(Pixels::Filled(1, 1, kGreen), 1, 0, 20, 100);
  const std::vector<uint8_t> still = firstIsDefault.bytes();
  EXPECT_EQ(ReadApngData(still.data(), still.size(), one, 1, nullptr),
            ApngReadResult::kNotAnimated);
  EXPECT_EQ(one.count, 0);
}

// Our own writer's animations (a palette with a transparent entry, 24-bit frames) read
// back to the same frames, delays and loop count.
TEST_F(ApngLoadTest, OwnAnimationsReadBackExactly) {
  FrameSet palette(8);
  palette.screenWidth = 9;
  palette.screenHeight = 5;
  palette.count = 3;
  palette.transparentIndex = 2;
  palette.loopCount = 4;
  FrameSet rgb(8);
  rgb.screenWidth = 7;
  rgb.screenHeight = 6;
  rgb.count = 4;
  rgb.loopCount = kPlayOnce;
  for (int f = 0; f < 4; ++f) {
    if (f < 3) {
      palette.frame(f).image = testing::Make8(
          9, 5, [f](int x, int y) { return uint8_t(x > f && y == 2 ? 5 : (x * y + f) % 4); }, 6);
      palette.frame(f).delay = f * 7;
    }
    rgb.frame(f).image = testing::Make24(7, 6, [f](int x, int y) {
      return Rgbq{uint8_t(x * 30), uint8_t(y * 40 + f), uint8_t(f == 2 && x == 3 ? 255 : 9), 0};
    });
    rgb.frame(f).delay = 100 + f;
  }
  for (const FrameSet* set : {&palette, &rgb}) {
    SCOPED_TRACE(set->screenWidth);
    const std::string path = dir + "/own" + std::to_string(set->screenWidth) + ".png";
    ASSERT_EQ(WritePngAnimation(*set, path, nullptr), PictureWriteResult::kOk);
    ASSERT_TRUE(Load(path).done());
    const FrameSet& back = *doc.frameSet;
    ASSERT_EQ(back.count, set->count);
    EXPECT_EQ(back.loopCount, set->loopCount);
    for (int f = 0; f < set->count; ++f) {
      EXPECT_EQ(back.frame(f).delay, set->frame(f).delay) << f;
      for (int y = 0; y < set->screenHeight; ++y) {
        for (int x = 0; x < set->screenWidth; ++x) {
          const int32_t clear = set->frame(f).image.Header().bitCount == 8 ? set->transparentIndex
                                                                          : -1;
          ASSERT_EQ(Shown(back.frame(f).image, back.transparentIndex, x, y),
                    Shown(set->frame(f).image, clear, x, y))
              << "frame " << f << " at " << x << "," << y;
        }
      }
    }
  }
}

// Broken or oversized animations are refused with the PNG reader's messages, and the
// document open before stays as it was.
TEST_F(ApngLoadTest, BrokenAnimationsAreRefusedAndNothingChanges) {
  const auto good = [] {
    ApngBuilder b(4, 3, 3, 0);
    b.Frame(Pixels::Filled(4, 3, kRed), 0, 0, 10, 100)
        .Frame(Pixels::Filled(2, 2, kBlue), 1, 1, 10, 100)
        .Frame(Pixels::Filled(1, 3, kGreen), 3, 0, 10, 100);
    return b;
  };
  const auto cut = [&](size_t keep) {
    std::vector<uint8_t> bytes = good().bytes();
    bytes.resize(keep);
    return bytes;
  };
  const struct Case {
    const char* name;
    std::function<std::vector<uint8_t>()> bytes;
    MessageId message;
  } cases[] = {
      {"cut in the last fdAT", [&] { return cut(good().bytes().size() - 30); }, kMsgBadImageFile},
      {"cut before IEND", [&] { return cut(good().bytes().size() - 12); }, kMsgBadImageFile},
      {"bad CRC in fdAT",
       [&] {
         ApngBuilder b = good();
         b.Find("fdAT", 1).badCrc = true;
         return b.bytes();
       },
       kMsgBadImageFile},
      {"fcTL outside the canvas",
       [&] {
         ApngBuilder b(4, 3, 2, 0);
         b.Frame(Pixels::Filled(4, 3, kRed), 0, 0, 10, 100)
             .Frame(Pixels::Filled(2, 2, kBlue), 3, 2, 10, 100);
         return b.bytes();
       },
       kMsgBadImageFile},
      {"sequence out of order",
       [&] {
         ApngBuilder b = good();
         std::swap(b.Find("fdAT", 0).body[3], b.Find("fdAT", 1).body[3]);
         return b.bytes();
       },
       kMsgBadImageFile},
      {"fewer frames than acTL says",
       [&] {
         ApngBuilder b = good();
         b.Find("acTL").body[3] = 4;
         return b.bytes();
       },
       kMsgBadImageFile},
      {"frame data that does not inflate",
       [&] {
         ApngBuilder b = good();
         std::vector<uint8_t>& body = b.Find("fdAT", 0).body;
         for (size_t i = 6; i < body.size(); ++i) body[i] ^= 0x5A;
         return b.bytes();
       },
       kMsgBadImageFile},
      {"huge canvas times frames",
       [&] {
         ApngBuilder b(30000, 30000, 200, 0);
         b.Default(Pixels::Filled(1, 1, kRed));
         for (int i = 0; i < 200; ++i) b.Frame(Pixels::Filled(1, 1, kRed), 0, 0, 1, 100);
         return b.bytes();
       },
       kMsgPictureTooLarge},
  };
  ApngBuilder before(2, 2, 2, 0);
  before.Frame(Pixels::Filled(2, 2, kGreen), 0, 0, 5, 100)
      .Frame(Pixels::Filled(1, 1, kRed), 0, 0, 5, 100);
  const std::string beforePath = Write("before.png", before.bytes());
  ASSERT_TRUE(Load(beforePath).done());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome outcome = Load(Write("broken.png", c.bytes()));
    ASSERT_FALSE(outcome.done());
    EXPECT_EQ(outcome.message(), c.message);
    EXPECT_EQ(doc.filePath, beforePath);
    EXPECT_EQ(doc.frameSet->count, 2);
    EXPECT_EQ(doc.frameSet->screenWidth, 2);
    EXPECT_EQ(Letters()[1], (std::vector<std::string>{"RG", "GG"}));
  }
}

// A file whose acTL chunk comes after the image data is the still picture.
TEST_F(ApngLoadTest, LateAcTLLeavesAStillPicture) {
  ApngBuilder b(3, 2, 2, 0);
  b.Default(Pixels::Filled(3, 2, kBlue));
  std::swap(b.chunks[1], b.chunks[2]);  // IHDR, IDAT, acTL
  ASSERT_TRUE(Load(Write("late.png", b.bytes())).done());
  EXPECT_EQ(doc.kind, ImageKind::kPng);
  EXPECT_EQ(Shown(doc.currentPicture, -1, 2, 1), kBlue);
}

}  // namespace
}  // namespace zel
