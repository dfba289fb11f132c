#include "integration/clipboard_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "document/colour_key.h"
#include "imagefiles/bmp_file.h"
#include "imagefiles/image_loader.h"
#include "integration/integration_fixtures.h"
#include "resources/string_table.h"

namespace zel {
namespace {

using Bytes = std::vector<uint8_t>;
using testing::ScratchFolder;

// Pastes the bytes into a fresh document, as the paste command does.
std::unique_ptr<DocumentState> Paste(const Bytes& bytes, Outcome* result) {
  auto doc = std::make_unique<DocumentState>();
  EXPECT_TRUE(CreateDocumentContainer(*doc, 256));
  BmpBytesClipboard clipboard(bytes);
  LoadContext context;
  context.clipboard = &clipboard;
  *result = LoadImageFile(*doc, "", LoadMode::kClipboard, context);
  return doc;
}

// The offset of the trailer in a payload whose 8-bit rows follow a file header.
size_t TrailerOffset(const Bytes& bytes) {
  const DibHeader h = ParseDibHeader(bytes.data() + 14);
  return ReadLe32(bytes.data() + 10) + h.sizeImage;
}

TEST(ClipboardPicture, PictureWithTransparencyTravelsWithTheTrailer) {
  ScratchFolder folder;
  auto source = testing::LoadGifPicture(folder.path(), 5);
  std::optional<Bytes> bytes = BuildClipboardBmp(*source);
  ASSERT_TRUE(bytes);
  // The file's bytes: a BMP file header, then the picture as read back.
  PackedDib fromFile;
  ASSERT_EQ(ReadBmpData(fromFile, bytes->data(), bytes->size()), 0);
  const size_t trailer = TrailerOffset(*bytes);
  ASSERT_LE(trailer + 8, bytes->size());
  EXPECT_EQ(std::memcmp(bytes->data() + trailer, "TIDX", 4), 0);
  EXPECT_EQ(ReadLe32(bytes->data() + trailer + 4), 5u);

  Outcome result = Outcome::NothingDone();
  auto pasted = Paste(*bytes, &result);
  ASSERT_TRUE(result.done());
  EXPECT_EQ(pasted->kind, ImageKind::kBitmap);
  EXPECT_EQ(pasted->frameSet->transparentIndex, 5);
  EXPECT_EQ(pasted->bitCount, 8);
  // Same pixels; the transparent entry shows the background colour in both.
  EXPECT_EQ(testing::PixelColors(pasted->currentPicture),
            testing::PixelColors(source->currentPicture));
}

TEST(ClipboardPicture, TrueColourPictureHasNoTrailer) {
  ScratchFolder folder;
  auto source = testing::LoadTrueColorPicture(folder.path());
  std::optional<Bytes> bytes = BuildClipboardBmp(*source);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(std::search(bytes->begin(), bytes->end(), "TIDX", "TIDX" + 4), bytes->end());
  Outcome result = Outcome::NothingDone();
  auto pasted = Paste(*bytes, &result);
  ASSERT_TRUE(result.done());
  EXPECT_EQ(pasted->bitCount, 24);
  EXPECT_EQ(pasted->frameSet->transparentIndex, -1);
  EXPECT_EQ(testing::PixelColors(pasted->currentPicture),
            testing::PixelColors(source->currentPicture));
}

// A full-colour picture with transparent pixels (a key colour) is copied and pasted with
// it; pasted, the key becomes the background colour, which no other pixel has.
TEST(ClipboardPicture, KeyColourOfAFullColourPictureTravelsWithTheTrailer) {
  ScratchFolder folder;
  auto source = testing::LoadTrueColorPicture(folder.path());
  ASSERT_EQ(source->bitCount, 24);
  uint8_t* corner = source->currentPicture.Row(0);
  corner[0] = 0x30;  // blue, green, red: the colour 0x102030 (COLORREF 0x302010)
  corner[1] = 0x20;
  corner[2] = 0x10;
  ASSERT_TRUE(WriteColourKey(source->currentPicture, 0x302010));
  std::optional<Bytes> bytes = BuildClipboardBmp(*source);
  ASSERT_TRUE(bytes);
  Outcome result = Outcome::NothingDone();
  auto pasted = Paste(*bytes, &result);
  ASSERT_TRUE(result.done());
  EXPECT_EQ(ReadColourKey(pasted->currentPicture), std::optional<uint32_t>(0xC0C0C0));
  std::vector<uint32_t> expected = testing::PixelColors(source->currentPicture);
  ASSERT_EQ(expected[0], 0x102030u);  // the bottom-left pixel, first stored
  expected[0] = 0xC0C0C0;
  EXPECT_EQ(testing::PixelColors(pasted->currentPicture), expected);
}

TEST(ClipboardPicture, AnimationTravelsAsAFrameBitmap) {
  ScratchFolder folder;
  auto source = testing::LoadAnimation(folder.path(), 4);
  std::optional<Bytes> bytes = BuildClipboardBmp(*source);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(source->flags & kFlagBusy, 0u);
  Outcome result = Outcome::NothingDone();
  auto pasted = Paste(*bytes, &result);
  ASSERT_TRUE(result.done());
  EXPECT_EQ(pasted->kind, ImageKind::kFrameAnimation);
  ASSERT_EQ(pasted->frameSet->count, 4);
  EXPECT_EQ(pasted->frameSet->transparentIndex, source->frameSet->transparentIndex);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(pasted->frameSet->frame(i).delay, source->frameSet->frame(i).delay);
    EXPECT_EQ(testing::PixelColors(pasted->frameSet->frame(i).image),
              testing::PixelColors(source->frameSet->frame(i).image))
        << i;
  }
}

TEST(ClipboardPicture, HostilePayloadsAreRefusedOrLoseOnlyTheTrailer) {
  ScratchFolder folder;
  auto source = testing::LoadGifPicture(folder.path(), 5);
  const Bytes good = *BuildClipboardBmp(*source);
  const size_t trailer = TrailerOffset(good);

  // The trailer cut off by the end of the block: a picture without transparency.
  Bytes cut(good.begin(), good.begin() + static_cast<long>(trailer + 6));
  Outcome result = Outcome::NothingDone();
  auto pasted = Paste(cut, &result);
  ASSERT_TRUE(result.done());
  EXPECT_EQ(pasted->frameSet->transparentIndex, -1);

  // An index outside the colour table is no transparent colour.
  Bytes outside = good;
  WriteLe32(outside.data() + trailer + 4, 200);
  pasted = Paste(outside, &result);
  ASSERT_TRUE(result.done());
  EXPECT_EQ(pasted->frameSet->transparentIndex, -1);
  WriteLe32(outside.data() + trailer + 4, 0x80000000u);
  pasted = Paste(outside, &result);
  ASSERT_TRUE(result.done());
  EXPECT_EQ(pasted->frameSet->transparentIndex, -1);

  // Rows missing, a huge size claimed, garbage, nothing at all: no picture.
  Bytes shortRows(good.begin(), good.begin() + static_cast<long>(trailer - 4));
  Bytes huge = good;
  WriteLe32(huge.data() + 14 + 4, 0x7FFFFFFF);
  WriteLe32(huge.data() + 14 + 8, 0x7FFFFFFF);
  WriteLe32(huge.data() + 14 + 20, 0);
  for (const Bytes& bad : {shortRows, huge, Bytes{'B', 'M', 1, 2, 3}, Bytes{}}) {
    EXPECT_FALSE(PictureFromClipboardBmp(bad.data(), bad.size()));
    pasted = Paste(bad, &result);
    EXPECT_FALSE(result.done());
    EXPECT_EQ(pasted->kind, ImageKind::kNone);
  }
}

TEST(ClipboardPicture, BareBitmapFromAnotherProgramWithTrailer) {
  // A bare 8-bit bitmap (no file header) of 2 x 1 pixels, two colours, trailer index 1.
  Bytes bare(40 + 8 + 4 + 8, 0);
  WriteLe32(&bare[0], 40);
  WriteLe32(&bare[4], 2);
  WriteLe32(&bare[8], 1);
  WriteLe16(&bare[12], 1);
  WriteLe16(&bare[14], 8);
  WriteLe32(&bare[20], 4);
  WriteLe32(&bare[32], 2);
  bare[40 + 2] = 0xFF;  // entry 0 red
  bare[44 + 1] = 0xFF;  // entry 1 green
  bare[48] = 0;
  bare[49] = 1;
  std::memcpy(&bare[52], "TIDX", 4);
  WriteLe32(&bare[56], 1);
  Outcome result = Outcome::NothingDone();
  auto pasted = Paste(bare, &result);
  ASSERT_TRUE(result.done());
  EXPECT_EQ(pasted->frameSet->transparentIndex, 1);
  EXPECT_EQ(pasted->width, 2);
}

TEST(ClipboardPicture, NothingOpenGivesNothingToCopy) {
  DocumentState empty;
  EXPECT_FALSE(BuildClipboardBmp(empty));
}

}  // namespace
}  // namespace zel
