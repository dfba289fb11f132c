#include "imagefiles/image_loader.h"

#include "document/edit_transaction.h"

#include <gtest/gtest.h>

#include <fstream>

#include "color/semi_transparency.h"
#include "imagefiles/bmp_file.h"
#include "imagefiles/frame_bitmap.h"
#include "imagefiles/gif_decoder.h"
#include "imagefiles/gif_encoder.h"
#include "imagefiles/jpeg_errors.h"
#include "imagefiles/jpeg_reader.h"
#include "imagefiles/jpeg_writer.h"
#include "imagefiles/png_reader.h"
#include "resources/string_table.h"
#include "support/gif_builder.h"

namespace zel {
namespace {

using testing::GifBuilder;
using testing::MakePicture;
using testing::MakeTempDir;
using testing::Rgb;

const std::vector<Rgb> kFour = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

class FakeClipboard : public PictureClipboard {
 public:
  PackedDib ReadPicture() override { return DuplicateBlock(picture); }
  PackedDib picture;
};

class LoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = MakeTempDir();
    ASSERT_TRUE(CreateDocumentContainer(doc, 16));
    context.lastImagePath = &lastImagePath;
    context.clipboard = &clipboard;
    context.nowTick = 777;
  }

  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string path = dir + "/" + name;
    WriteBytes(path, bytes);
    return path;
  }

  std::vector<uint8_t> Animation() {
    return GifBuilder(4, 2, kFour, 3)
        .Looping()
        .Control(0x09, 10, 2)
        .Image(0, 0, 4, 2, {0, 1, 2, 3, 3, 2, 1, 0})
        .Control(0x09, 20, 2)
        .Image(1, 0, 2, 1, {2, 1})
        .Trailer()
        .bytes();
  }

  std::string dir;
  DocumentState doc;
  std::string lastImagePath;
  FakeClipboard clipboard;
  LoadContext context;
};

TEST_F(LoaderTest, AnimatedGifBecomesThePlayingDocument) {
  std::string path = Write("anim.GIF", Animation());
  doc.flags = kFlagStep | kFlagFromCommandLine;
  ASSERT_TRUE(LoadImageFile(doc, path, LoadMode::kOpen, context).done());
  EXPECT_EQ(doc.kind, ImageKind::kGifAnimation);
  EXPECT_EQ(doc.frameSet->count, 2);
  EXPECT_EQ(doc.frameSet->transparentIndex, 3);
  EXPECT_EQ(doc.width, 4);
  EXPECT_EQ(doc.bitCount, 8);
  EXPECT_EQ(doc.filePath, path);
  EXPECT_GT(doc.fileTime, 0);
  EXPECT_EQ(lastImagePath, path);
  EXPECT_EQ(doc.lastFrameTick, 777u);
  EXPECT_EQ(doc.flags, kFlagLoaded | kFlagFromCommandLine);
  // The background colour shows through the transparent entry.
  Rgbq entry = doc.currentPicture.ColorTable()[3];
  EXPECT_EQ(entry.red, 0xC0);
  EXPECT_EQ(doc.frameSet->frame(1).image.ColorTable()[3].green, 0xC0);
}

TEST_F(LoaderTest, SingleFrameGifIsAPictureOfItsOwnSize) {
  auto bytes =
      GifBuilder(9, 9, kFour, 1).Control(0x01, 0, 2).Image(2, 2, 3, 1, {1, 2, 3}).Trailer();
  ASSERT_TRUE(LoadImageFile(doc, Write("one.gif", bytes.bytes()), LoadMode::kOpen, context).done());
  EXPECT_EQ(doc.kind, ImageKind::kGifPicture);
  EXPECT_EQ(doc.width, 3);
  EXPECT_EQ(doc.height, 1);
  EXPECT_EQ(doc.frameSet->count, 0);
  EXPECT_EQ(doc.frameSet->transparentIndex, 2);
}

TEST_F(LoaderTest, FailuresLeaveTheDocumentAsItWas) {
  std::string good = Write("anim.gif", Animation());
  ASSERT_TRUE(LoadImageFile(doc, good, LoadMode::kOpen, context).done());
  doc.flags |= kFlagStep;
  const uint32_t flags = doc.flags;
  lastImagePath = "unchanged";

  struct Case {
    std::string path;
    MessageId message;
  } cases[] = {
      {Write("noextension", Animation()), kMsgBadFileName},
      {Write("picture.tif", Animation()), kMsgBadFileName},
      {dir + "/missing.gif", kMsgBadImageFile},
      {Write("empty.gif", GifBuilder(4, 4, kFour).Comment("no image").Trailer().bytes()),
       kMsgBadImageFile},
      {Write("text.gif", {'h', 'e', 'l', 'l', 'o'}), kMsgBadImageFile},
      {Write("text.bmp", {'h', 'e', 'l', 'l', 'o'}), kMsgBadImageFile},
      {Write("text.jpg", {'h', 'e', 'l', 'l', 'o'}), kMsgBadImageFile},
      {Write("text.png", {'h', 'e', 'l', 'l', 'o'}), kMsgBadImageFile},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LoadImageFile(doc, c.path, LoadMode::kOpen, context), Outcome::Failed(c.message)) << c.path;
    EXPECT_EQ(doc.kind, ImageKind::kGifAnimation) << c.path;
    EXPECT_EQ(doc.frameSet->count, 2) << c.path;
    EXPECT_EQ(doc.filePath, good) << c.path;
    EXPECT_EQ(doc.flags, flags) << c.path;
    EXPECT_EQ(lastImagePath, "unchanged") << c.path;
  }
  // A reload of an animation needs a frame bitmap.
  EXPECT_EQ(LoadImageFile(doc, good, LoadMode::kReload, context), Outcome::Failed(kMsgNotFrameBitmap));
  EXPECT_EQ(doc.frameSet->count, 2);
}

// Each reader's out-of-memory code becomes message 502; every other failure stays 501.
TEST(ReaderFailureMessage, OnlyMemoryCodesSayMemory) {
  struct Case {
    char letter;
    int code;
    MessageId message;
  } cases[] = {
      {'b', kBmpNoMemory, kMsgNoMemory},
      {'b', kBmpCannotRead, kMsgBadImageFile},
      {'b', kBmpUnsupported, kMsgBadImageFile},
      {'g', kGifNoMemory, kMsgNoMemory},
      {'g', kGifCannotRead, kMsgBadImageFile},
      {'g', kGifBadCodeSize, kMsgBadImageFile},
      {'j', kJpegNoMemory, kMsgNoMemory},
      {'j', JpegReadLibraryCode(JERR_OUT_OF_MEMORY), kMsgNoMemory},
      {'j', JpegReadLibraryCode(JERR_NO_BACKING_STORE), kMsgNoMemory},
      {'j', JpegReadLibraryCode(JERR_BAD_HUFF_TABLE), kMsgBadImageFile},
      {'j', kJpegCannotRead, kMsgBadImageFile},
      {'p', kPngNoMemory, kMsgNoMemory},
      {'p', kPngEmpty, kMsgBadImageFile},
      {'x', -6, kMsgBadImageFile},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReaderFailureMessage(c.letter, c.code), c.message) << c.letter << " " << c.code;
  }
}

// A picture that memory cannot hold is reported as short memory (502), not as a broken or
// missing file, and the open document stays as it was.
TEST_F(LoaderTest, ShortMemoryWhileReadingSaysSo) {
  const std::string good = Write("anim.gif", Animation());
  ASSERT_TRUE(LoadImageFile(doc, good, LoadMode::kOpen, context).done());
  std::vector<uint8_t> noise(64 * 48);
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = uint8_t((i * 7 + i / 64) % 4);
  const std::string bmp = dir + "/big.bmp";
  ASSERT_TRUE(WriteBmpFile(NewPicture(64, 48, 24, 0), bmp));
  const std::string jpg = dir + "/big.jpg";
  ASSERT_EQ(WriteJpegFile(NewPicture(64, 48, 24, 0), jpg, 75), 0);
  const std::string gif =
      Write("big.gif", GifBuilder(64, 48, kFour).Image(0, 0, 64, 48, noise).Trailer().bytes());

  SetAllocationCeilingForTests(2048);  // each picture needs more than 3000 bytes
  for (const std::string& path : {bmp, jpg, gif}) {
    EXPECT_EQ(LoadImageFile(doc, path, LoadMode::kOpen, context), Outcome::Failed(kMsgNoMemory)) << path;
    EXPECT_EQ(doc.kind, ImageKind::kGifAnimation) << path;
    EXPECT_EQ(doc.filePath, good) << path;
  }
  SetAllocationCeilingForTests(0);
  for (const std::string& path : {bmp, jpg, gif}) {
    EXPECT_TRUE(LoadImageFile(doc, path, LoadMode::kOpen, context).done()) << path;
  }
}

// A load starts the document afresh: its revision is the saved one, and the observers hear
// of it. A failed load leaves the revision of the document that stays; a reload is part of
// the caller's edit, which commits it as a change.
TEST_F(LoaderTest, LoadingClearsTheChangedMarkAndReloadingSetsIt) {
  const std::string good = Write("anim.gif", Animation());
  std::vector<DocumentEvent> heard;
  doc.observers.Subscribe([&](DocumentEvent e) { heard.push_back(e); });
  doc.savedRevision = doc.revision + 1;
  ASSERT_TRUE(LoadImageFile(doc, good, LoadMode::kOpen, context).done());
  EXPECT_FALSE(HasUnsavedChanges(doc));
  EXPECT_EQ(heard, (std::vector<DocumentEvent>{DocumentEvent::kLoaded}));
  doc.savedRevision = doc.revision + 1;
  const uint64_t revision = doc.revision;
  EXPECT_FALSE(LoadImageFile(doc, dir + "/missing.gif", LoadMode::kOpen, context).done());
  EXPECT_EQ(doc.revision, revision);
  EXPECT_TRUE(HasUnsavedChanges(doc));
  EXPECT_EQ(heard.size(), 1u);

  PackedDib picture = MakePicture(5, 3, std::vector<uint8_t>(15, 2), kFour);
  const std::string bmp = dir + "/p.bmp";
  ASSERT_TRUE(WriteBmpFile(picture, bmp));
  ASSERT_TRUE(LoadImageFile(doc, bmp, LoadMode::kOpen, context).done());
  EXPECT_FALSE(HasUnsavedChanges(doc));
  EditTransaction reload(doc, kUndoEdit);
  ASSERT_TRUE(
      reload.Commit([&] { return LoadImageFile(doc, bmp, LoadMode::kReload, context); }).done());
  EXPECT_TRUE(HasUnsavedChanges(doc));
}

TEST_F(LoaderTest, ClipboardPictures) {
  EXPECT_EQ(LoadImageFile(doc, "", LoadMode::kClipboard, context), Outcome::Failed(kMsgNoPictureHandedOver));
  EXPECT_EQ(doc.kind, ImageKind::kNone);

  // An 8-bit picture carrying "TIDX" and 5 opens with transparent index 5, table untouched.
  std::vector<Rgb> eight(8, Rgb{1, 1, 1});
  clipboard.picture = MakePicture(2, 1, {5, 6}, eight);
  ASSERT_TRUE(WriteTransparencyTrailer(clipboard.picture, 5));
  ASSERT_TRUE(LoadImageFile(doc, "ignored.gif", LoadMode::kClipboard, context).done());
  EXPECT_EQ(doc.kind, ImageKind::kBitmap);
  EXPECT_EQ(doc.frameSet->transparentIndex, 5);
  EXPECT_EQ(doc.currentPicture.Header().clrUsed, 8u);
  EXPECT_TRUE(doc.filePath.empty());
  EXPECT_EQ(doc.fileTime, 0);

  // Without the trailer the picture keeps only the colours it uses.
  clipboard.picture = MakePicture(2, 1, {5, 6}, eight);
  ASSERT_TRUE(LoadImageFile(doc, "", LoadMode::kClipboard, context).done());
  EXPECT_EQ(doc.currentPicture.Header().clrUsed, 2u);
  EXPECT_EQ(doc.frameSet->transparentIndex, -1);

  // A handed-over frame bitmap becomes an animation.
  FrameSet frames(4);
  frames.count = 2;
  frames.transparentIndex = -1;
  for (int i = 0; i < 2; ++i) {
    frames.frame(i).image = MakePicture(3, 2, {0, 1, 2, 3, 0, uint8_t(i)}, kFour);
    frames.frame(i).delay = 5 + i;
  }
  ASSERT_TRUE(LoadHandedOverPicture(doc, BuildFrameBitmapImage(frames), context).done());
  EXPECT_EQ(doc.kind, ImageKind::kFrameAnimation);
  EXPECT_EQ(doc.frameSet->count, 2);
  EXPECT_EQ(doc.frameSet->frame(1).delay, 6);
  EXPECT_EQ(LoadHandedOverPicture(doc, PackedDib(), context), Outcome::Failed(kMsgNoPictureHandedOver));

  // Pixels beyond the colour table have no colour: refused, with or without a trailer. A
  // trailer index beyond the table means no transparency.
  for (bool trailer : {false, true}) {
    PackedDib beyond = MakePicture(2, 1, {1, 200}, kFour);
    if (trailer) {
      ASSERT_TRUE(WriteTransparencyTrailer(beyond, 1));
    }
    EXPECT_EQ(LoadHandedOverPicture(doc, std::move(beyond), context), Outcome::Failed(kMsgBadImageFile));
    EXPECT_EQ(doc.kind, ImageKind::kFrameAnimation);
  }
  PackedDib farIndex = MakePicture(2, 1, {1, 2}, kFour);
  ASSERT_TRUE(WriteTransparencyTrailer(farIndex, 1000));
  ASSERT_TRUE(LoadHandedOverPicture(doc, std::move(farIndex), context).done());
  EXPECT_EQ(doc.frameSet->transparentIndex, -1);
  ASSERT_TRUE(LoadHandedOverPicture(doc, BuildFrameBitmapImage(frames), context).done());

  // A picture whose header claims more rows than its block holds is refused untouched.
  struct Lie {
    const char* name;
    int32_t width, height;
    uint16_t bits;
    uint32_t compression, colors;
  } lies[] = {{"rows beyond the block", 1000, 1000, 24, 0, 0},
              {"compressed", 3, 2, 8, 1, 4},
              {"16 bits", 3, 2, 16, 0, 0},
              {"300 colours", 3, 2, 8, 0, 300},
              {"negative width", -3, 2, 8, 0, 4}};
  for (const Lie& lie : lies) {
    PackedDib hostile = MakePicture(3, 2, {0, 1, 2, 3, 0, 1}, kFour);
    DibHeader h = hostile.Header();
    h.width = lie.width;
    h.height = lie.height;
    h.bitCount = lie.bits;
    h.compression = lie.compression;
    h.clrUsed = lie.colors;
    hostile.SetHeader(h);
    EXPECT_EQ(LoadHandedOverPicture(doc, std::move(hostile), context), Outcome::Failed(kMsgBadImageFile))
        << lie.name;
    EXPECT_EQ(doc.kind, ImageKind::kFrameAnimation) << lie.name;
  }
}

TEST_F(LoaderTest, BitmapJpegAndFrameBitmapFiles) {
  PackedDib picture = MakePicture(5, 3, std::vector<uint8_t>(15, 2), kFour);
  std::string bmp = dir + "/p.bmp";
  ASSERT_TRUE(WriteBmpFile(picture, bmp));
  ASSERT_TRUE(LoadImageFile(doc, bmp, LoadMode::kOpen, context).done());
  EXPECT_EQ(doc.kind, ImageKind::kBitmap);
  EXPECT_EQ(doc.currentPicture.Header().clrUsed, 1u);  // only the colour in use
  EXPECT_TRUE(lastImagePath.empty());                  // bitmaps do not set it

  std::string jpg = dir + "/p.jpg";
  PackedDib deep = NewPicture(17, 9, 24, 0);
  ASSERT_EQ(WriteJpegFile(deep, jpg, 75), 0);
  ASSERT_TRUE(LoadImageFile(doc, jpg, LoadMode::kOpen, context).done());
  EXPECT_EQ(doc.kind, ImageKind::kJpeg);
  EXPECT_EQ(doc.bitCount, 24);
  EXPECT_EQ(doc.frameSet->transparentIndex, -1);
  EXPECT_EQ(lastImagePath, jpg);

  FrameSet frames(4);
  frames.count = 2;
  frames.transparentIndex = 1;
  for (int i = 0; i < 2; ++i) {
    frames.frame(i).image = MakePicture(3, 2, {0, 1, 2, 3, 2, uint8_t(i)}, kFour);
    frames.frame(i).delay = 9;
  }
  std::string framePath = dir + "/anim.bmpf";
  ASSERT_TRUE(WriteFrameBitmapFile(framePath, frames, 0xC0C0C0).done());
  ASSERT_TRUE(LoadImageFile(doc, framePath, LoadMode::kOpen, context).done());
  EXPECT_EQ(doc.kind, ImageKind::kFrameAnimation);
  EXPECT_EQ(doc.frameSet->count, 2);
  EXPECT_EQ(doc.width, 3);

  // A reload of an animation from a frame bitmap keeps the animation going.
  ASSERT_TRUE(LoadImageFile(doc, framePath, LoadMode::kReload, context).done());
  EXPECT_EQ(doc.kind, ImageKind::kFrameAnimation);
  EXPECT_EQ(doc.frameSet->count, 2);
}

// The document holds at most frameMax (16 here) frames; the loader keeps the first ones and
// reports how many the file has, so the editor can say so instead of dropping them silently.
TEST_F(LoaderTest, ReportsFramesBeyondTheFrameMaximum) {
  auto gifOf = [](int frames) {
    GifBuilder gif(2, 1, kFour);
    gif.Looping();
    for (int i = 0; i < frames; ++i) gif.Image(0, 0, 2, 1, {uint8_t(i % 4), 1});
    return gif.Trailer().bytes();
  };
  ASSERT_TRUE(LoadImageFile(doc, Write("twenty.gif", gifOf(20)), LoadMode::kOpen, context).done());
  EXPECT_EQ(doc.frameSet->count, 16);
  EXPECT_EQ(context.framesInFile, 20);
  EXPECT_EQ(context.framesKept, 16);
  EXPECT_TRUE(FramesWereDropped(context));

  ASSERT_TRUE(LoadImageFile(doc, Write("sixteen.gif", gifOf(16)), LoadMode::kOpen, context).done());
  EXPECT_EQ(context.framesInFile, 16);
  EXPECT_FALSE(FramesWereDropped(context));

  auto one = GifBuilder(2, 1, kFour).Image(0, 0, 2, 1, {1, 2}).Trailer();
  ASSERT_TRUE(LoadImageFile(doc, Write("one.gif", one.bytes()), LoadMode::kOpen, context).done());
  EXPECT_EQ(context.framesInFile, 1);
  EXPECT_EQ(context.framesKept, 1);

  // A frame bitmap of 20 frames, written by a program with a higher frame maximum.
  FrameSet frames(20);
  frames.count = 20;
  for (int i = 0; i < 20; ++i)
    frames.frame(i).image = MakePicture(2, 1, {0, uint8_t(i % 4)}, kFour);
  std::string framePath = dir + "/twenty.bmpf";
  ASSERT_TRUE(WriteFrameBitmapFile(framePath, frames, 0xC0C0C0).done());
  ASSERT_TRUE(LoadImageFile(doc, framePath, LoadMode::kOpen, context).done());
  EXPECT_EQ(doc.frameSet->count, 16);
  EXPECT_EQ(context.framesInFile, 20);
  EXPECT_EQ(context.framesKept, 16);

  // A failed load reports nothing.
  EXPECT_EQ(LoadImageFile(doc, dir + "/missing.gif", LoadMode::kOpen, context), Outcome::Failed(kMsgBadImageFile));
  EXPECT_EQ(context.framesInFile, 0);
  EXPECT_FALSE(FramesWereDropped(context));
}

// An animation kept in a palette per frame with uncovered canvas: every frame has the one
// transparent entry, painted in the background colour, and semi-transparency and a save
// keep it.
TEST_F(LoaderTest, PalettePerFrameKeepsOneTransparentEntry) {
  auto table = [](int f) {
    std::vector<Rgb> t(256);
    for (int i = 0; i < 256; ++i) {
      t[i] = Rgb{static_cast<uint8_t>(i), static_cast<uint8_t>(50 * f + 3),
                 static_cast<uint8_t>(255 - i)};
    }
    return t;
  };
  std::vector<uint8_t> first(30 * 8), second(32 * 8);
  for (size_t k = 0; k < first.size(); ++k) first[k] = static_cast<uint8_t>(k);
  for (size_t k = 0; k < second.size(); ++k)
    second[k] = static_cast<uint8_t>(k % 8 ? k % 200 : 255);
  auto gif = GifBuilder(32, 8, {})
                 .Control(0x04, 10, 0)
                 .Image(0, 0, 30, 8, first, table(0))
                 .Control(0x05, 10, 255)
                 .Image(0, 0, 32, 8, second, table(1))
                 .Trailer();
  ASSERT_TRUE(LoadImageFile(doc, Write("local.gif", gif.bytes()), LoadMode::kOpen, context).done());
  const FrameSet& frames = *doc.frameSet;
  ASSERT_EQ(frames.count, 2);
  EXPECT_EQ(frames.paletteCount, -1);
  const int32_t t = frames.transparentIndex;
  ASSERT_GE(t, 0);
  for (int f = 0; f < 2; ++f) {
    const PackedDib& p = frames.frame(f).image;
    EXPECT_EQ(p.ColorTable()[t], (Rgbq{0xC0, 0xC0, 0xC0, 0})) << f;
    EXPECT_NE(p.Row(0)[0], t) << f;
  }
  EXPECT_EQ(frames.frame(0).image.Row(0)[31], t);  // the canvas right of the first frame
  EXPECT_EQ(testing::PixelColor(frames.frame(1).image, 8, 0).g, 3);  // frame 0 shows through
  std::vector<Rgb> before[2];
  for (int f = 0; f < 2; ++f) {
    for (int x = 0; x < 32; ++x)
      before[f].push_back(testing::PixelColor(frames.frame(f).image, x, 0));
  }

  ASSERT_TRUE(ApplySemiTransparency(doc, SemiLevel::k50, 0).done());
  EXPECT_EQ(frames.transparentIndex, t);
  std::vector<uint8_t> saved;
  ASSERT_EQ(BuildGifFile(frames, false, nullptr, saved), 0);
  FrameSet back(4);
  ASSERT_EQ(LoadGifAnimationData(saved.data(), saved.size(), back, 4), 0);
  for (int f = 0; f < 2; ++f) {
    const PackedDib& p = back.frame(f).image;
    int transparent = 0;
    for (int x = 0; x < 32; ++x) {
      if (p.Row(0)[x] == back.transparentIndex) {
        ++transparent;
        continue;
      }
      const Rgb c = testing::PixelColor(p, x, 0);
      const Rgb& want = before[f][static_cast<size_t>(x)];
      EXPECT_TRUE(c.r == want.r && c.g == want.g && c.b == want.b) << f << " " << x;
    }
    EXPECT_EQ(transparent, f == 0 ? 17 : 16) << f;  // every other pixel, and the canvas
  }
}

}  // namespace
}  // namespace zel
