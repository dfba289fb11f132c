// The meanings of the editor's socket messages, and pictures made from files for handing
// over, taken back in by the loader as the editor takes them.

#include "app/instance_messages.h"

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "document/document_state.h"
#include "imagefiles/bmp_file.h"
#include "imagefiles/frame_bitmap.h"
#include "imagefiles/image_loader.h"
#include "resources/string_table.h"
#include "support/gif_builder.h"

namespace zel {
namespace {

using testing::GifBuilder;
using testing::PixelColor;
using testing::Rgb;

const std::vector<Rgb> kFour = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};

std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
  std::string path = testing::MakeTempDir() + "/" + name;
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return path;
}

bool SameColors(const PackedDib& a, const PackedDib& b) {
  DibHeader ha = a.Header();
  DibHeader hb = b.Header();
  if (ha.width != hb.width || ha.height != hb.height) return false;
  for (int y = 0; y < ha.height; ++y) {
    for (int x = 0; x < ha.width; ++x) {
      Rgb ca = PixelColor(a, x, y);
      Rgb cb = PixelColor(b, x, y);
      if (ca.r != cb.r || ca.g != cb.g || ca.b != cb.b) return false;
    }
  }
  return true;
}

TEST(InstanceMessages, IdentificationAnswersOnlyTheQueryWithOne) {
  const std::pair<uint32_t, uint32_t> cases[] = {{1, 74}, {0, 0}, {2, 0}, {74, 0}, {0xFFFFFFFF, 0}};
  for (auto [wParam, answer] : cases) EXPECT_EQ(AnswerIdentify(wParam), answer) << wParam;
}

TEST(InstanceMessages, APictureHandOverIsData74OfMoreThan1024Bytes) {
  struct Case {
    uint32_t message;
    uint32_t wParam;
    size_t size;
    bool picture;
  };
  const Case cases[] = {
      {kMsgCopyData, 74, 1025, true},  {kMsgCopyData, 74, 1024, false},
      {kMsgCopyData, 74, 0, false},    {kMsgCopyData, 73, 5000, false},
      {kMsgIdentify, 74, 5000, false}, {kMsgCopyData, 74, 1 << 20, true},
  };
  for (const Case& c : cases) {
    InstanceRequest request{c.message, c.wParam, 0, std::vector<uint8_t>(c.size)};
    EXPECT_EQ(IsPictureHandOver(request), c.picture)
        << c.message << "/" << c.wParam << "/" << c.size;
  }
}

TEST(InstanceMessages, HandOverPictureCopiesTheData) {
  std::vector<uint8_t> data(1500);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 13);
  PackedDib block = HandOverPicture(data);
  ASSERT_TRUE(block);
  ASSERT_EQ(block.size(), data.size());
  EXPECT_EQ(std::memcmp(block.data(), data.data(), data.size()), 0);
  EXPECT_FALSE(HandOverPicture({}));
}

class HandOver : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(CreateDocumentContainer(doc, 256)); }

  // The file as the editor would see it when opened directly.
  void Open(const std::string& path, DocumentState& target) {
    ASSERT_TRUE(CreateDocumentContainer(target, 256));
    LoadContext context;
    ASSERT_TRUE(LoadImageFile(target, path, LoadMode::kOpen, context).done());
  }
  // The file sent over, taken in by the loader.
  void Receive(const std::string& path) {
    std::optional<std::vector<uint8_t>> bytes = PictureFileAsPackedDib(path);
    ASSERT_TRUE(bytes);
    sent = *bytes;
    ASSERT_TRUE(IsPictureHandOver({kMsgCopyData, kPictureDataIdentifier, 0, sent}));
    LoadContext context;
    ASSERT_TRUE(LoadHandedOverPicture(doc, HandOverPicture(sent), context).done());
  }

  DocumentState doc;
  std::vector<uint8_t> sent;
};

TEST_F(HandOver, AnAnimationArrivesWithAllItsFrames) {
  std::string path = WriteFile("anim.gif", GifBuilder(3, 2, kFour, 0)
                                               .Looping()
                                               .Control(0x04, 10, 0)
                                               .Image(0, 0, 3, 2, {0, 1, 2, 3, 2, 1})
                                               .Control(0x04, 25, 0)
                                               .Image(0, 0, 3, 2, {3, 3, 1, 0, 0, 2})
                                               .Control(0x04, 40, 0)
                                               .Image(0, 0, 3, 2, {2, 0, 1, 1, 3, 0})
                                               .Trailer()
                                               .bytes());
  DocumentState direct;
  Open(path, direct);
  Receive(path);
  EXPECT_EQ(doc.kind, ImageKind::kFrameAnimation);
  ASSERT_EQ(doc.frameSet->count, 3);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(doc.frameSet->frame(i).delay, direct.frameSet->frame(i).delay);
    EXPECT_TRUE(SameColors(doc.frameSet->frame(i).image, direct.frameSet->frame(i).image));
  }
}

TEST_F(HandOver, ASmallPictureIsPaddedAndKeepsItsTransparentColour) {
  std::string path = WriteFile("one.gif", GifBuilder(3, 2, kFour, 0)
                                              .Control(0x01, 0, 2)
                                              .Image(0, 0, 3, 2, {0, 1, 2, 3, 2, 1})
                                              .Trailer()
                                              .bytes());
  DocumentState direct;
  Open(path, direct);
  Receive(path);
  EXPECT_EQ(sent.size(), 1025u);
  EXPECT_EQ(doc.kind, ImageKind::kBitmap);
  EXPECT_EQ(doc.frameSet->transparentIndex, direct.frameSet->transparentIndex);
  EXPECT_GE(doc.frameSet->transparentIndex, 0);
  EXPECT_TRUE(SameColors(doc.currentPicture, direct.currentPicture));
}

TEST_F(HandOver, ATrueColourPictureArrivesUnchanged) {
  PackedDib picture = NewPicture(40, 30, 24, 0);
  ASSERT_TRUE(picture);
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 120; ++x) picture.Row(y)[x] = static_cast<uint8_t>(x * 3 + y * 7);
  }
  std::string path = testing::MakeTempDir() + "/deep.bmp";
  ASSERT_TRUE(WriteBmpFile(picture, path));
  Receive(path);
  EXPECT_EQ(doc.kind, ImageKind::kBitmap);
  EXPECT_EQ(doc.bitCount, 24);
  ASSERT_EQ(doc.width, 40);
  ASSERT_EQ(doc.height, 30);
  for (int y = 0; y < 30; ++y) {
    EXPECT_EQ(std::memcmp(doc.currentPicture.Row(y), picture.Row(y), 120), 0) << y;
  }
}

TEST(PictureFileAsPackedDib, AFileThatCannotBeOpenedGivesItsMessage) {
  std::string folder = testing::MakeTempDir();
  const std::pair<std::string, MessageId> cases[] = {
      {folder + "/missing.gif", kMsgBadImageFile},
      {WriteFile("broken.gif", {'G', 'I', 'F', '8', '9', 'a', 1}), kMsgBadImageFile},
      {folder + "/notes.txt", kMsgBadFileName},
  };
  for (const auto& [path, expected] : cases) {
    MessageId message{};
    EXPECT_EQ(PictureFileAsPackedDib(path, &message), std::nullopt) << path;
    EXPECT_EQ(message, expected) << path;
  }
}

// Data from another program is hostile: a block that does not hold what its header says
// is refused and the open document stays as it was.
TEST_F(HandOver, ABrokenPictureLeavesTheDocumentAsItWas) {
  std::string path =
      WriteFile("one.gif",
                GifBuilder(3, 2, kFour, 0).Image(0, 0, 3, 2, {0, 1, 2, 3, 2, 1}).Trailer().bytes());
  LoadContext context;
  ASSERT_TRUE(LoadImageFile(doc, path, LoadMode::kOpen, context).done());
  const std::vector<uint8_t> before(doc.currentPicture.data(),
                                    doc.currentPicture.data() + doc.currentPicture.size());
  const uint32_t flags = doc.flags;

  PackedDib good = NewPicture(16, 16, 8, 256);  // 40 + 1024 + 256 + 16 bytes
  ASSERT_TRUE(good);
  const std::vector<uint8_t> valid(good.data(), good.data() + good.size());
  struct Case {
    const char* name;
    size_t offset;  // of a 32-bit field, or of a 16-bit field when `narrow`
    uint32_t value;
    bool narrow;
  };
  const Case cases[] = {
      {"header size 12", 0, 12, false},      {"header size 124", 0, 124, false},
      {"huge width", 4, 0x7FFFFFFF, false},  {"width 100000", 4, 100000, false},
      {"huge height", 8, 0x10000000, false}, {"top-down rows", 8, 0xFFFFFFF0, false},
      {"zero width", 4, 0, false},           {"2 bits", 14, 2, true},
      {"32 bits, no room", 14, 32, true},    {"run-length coded", 16, 1, false},
      {"table of 257", 32, 257, false},      {"table of 4 billion", 32, 0xFFFFFFFF, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> data = valid;
    if (c.narrow) {
      WriteLe16(data.data() + c.offset, static_cast<uint16_t>(c.value));
    } else {
      WriteLe32(data.data() + c.offset, c.value);
    }
    EXPECT_FALSE(LoadHandedOverPicture(doc, HandOverPicture(data), context).done());
    EXPECT_EQ(doc.kind, ImageKind::kGifPicture);
    EXPECT_EQ(doc.flags, flags);
    ASSERT_TRUE(doc.currentPicture);
    EXPECT_EQ(std::vector<uint8_t>(doc.currentPicture.data(),
                                   doc.currentPicture.data() + doc.currentPicture.size()),
              before);
  }
  // Cut short: the rows end before the block does.
  std::vector<uint8_t> cut(valid.begin(), valid.begin() + 1100);
  EXPECT_FALSE(LoadHandedOverPicture(doc, HandOverPicture(cut), context).done());
  EXPECT_EQ(doc.kind, ImageKind::kGifPicture);
  // The untouched block is taken, so the cases above fail for their own faults.
  EXPECT_TRUE(LoadHandedOverPicture(doc, HandOverPicture(valid), context).done());
  EXPECT_EQ(doc.kind, ImageKind::kBitmap);
}

}  // namespace
}  // namespace zel
