#include "app/save_document.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "imagefiles/memory_budget.h"
#include "support/gif_builder.h"
#include "support/picture_fixtures.h"

namespace zel {
namespace {

using testing::MakePicture;
using testing::MakeTempDir;

// The JPEG dialog's quality field: whatever number is typed comes into 30..100; text that
// is not a number keeps the current quality.
TEST(JpegQualityFromText, TypedNumbersComeIntoRange) {
  struct Case {
    const char* typed;
    int current;
    int quality;
  } cases[] = {
      {"10", 75, 30},
      {"29", 75, 30},
      {"30", 75, 30},
      {"64", 75, 64},
      {"100", 75, 100},
      {"101", 75, 100},
      {"0", 75, 30},
      {"-5", 75, 30},
      {"+88", 75, 88},
      {" 45 ", 75, 45},
      {"99999999999999999999", 75, 100},
      {"-99999999999999999999", 75, 30},
      {"", 75, 75},
      {"  ", 64, 64},
      {"-", 75, 75},
      {"4x", 75, 75},
      {"abc", 50, 50},
      {"7 5", 75, 75},
      {"", 10, 30},
      {"x", 500, 100},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(JpegQualityFromText(c.typed, c.current), c.quality)
        << "'" << c.typed << "' current " << c.current;
  }
}

// A save that wrote the file clears the changed mark; one that failed keeps it.
TEST(SaveDocument, OnlyAWrittenFileClearsTheChangedMark) {
  const std::string dir = MakeTempDir();
  for (bool gif : {true, false}) {
    SCOPED_TRACE(gif ? "GIF" : "bitmap");
    DocumentState doc;
    ASSERT_TRUE(CreateDocumentContainer(doc, 16));
    ASSERT_TRUE(InstallSinglePicture(
        doc, MakePicture(4, 2, std::vector<uint8_t>(8, 1), {{0, 0, 0}, {255, 0, 0}}),
        ImageKind::kGifPicture));
    doc.frameSet->transparentIndex = -1;
    MarkDocumentChanged(doc);
    doc.untitled = true;  // made from several files: no name of its own yet
    auto save = [&](const std::string& path) {
      return gif ? SaveDocumentAsGif(doc, path, nullptr) : SaveDocumentAsBitmap(doc, path);
    };
    EXPECT_TRUE(save(dir + "/no-such-folder/x.file").failed());
    EXPECT_TRUE(HasUnsavedChanges(doc));
    EXPECT_TRUE(doc.untitled);
    EXPECT_TRUE(save(dir + (gif ? "/x.gif" : "/x.bmp")).done());
    EXPECT_FALSE(HasUnsavedChanges(doc));
    EXPECT_FALSE(doc.untitled);
  }
}

// The JPEG save writes, keeps the picture before compression one undo away and shows the
// written file; whatever stops it on the way says so and changes no more than it must.
TEST(SaveJpegAndReload, WriteSnapshotAndReload) {
  const std::string dir = MakeTempDir();
  struct Case {
    const char* name;
    int bits;
    ImageKind kind;
    const char* file;
    uint64_t budget;  // the readers' memory budget while it runs (0: the default)
    JpegSaveStatus status;
    int code;  // checked when not 0
  } cases[] = {
      {"a 24-bit picture", 24, ImageKind::kBitmap, "/a.jpg", 0, JpegSaveStatus::kReloaded, 0},
      {"an 8-bit picture", 8, ImageKind::kGifPicture, "/b.jpg", 0, JpegSaveStatus::kNotSaved, 0},
      {"an animation", 24, ImageKind::kGifAnimation, "/c.jpg", 0, JpegSaveStatus::kNotSaved, 0},
      {"a folder that is not there", 24, ImageKind::kPng, "/none/d.jpg", 0,
       JpegSaveStatus::kWriteFailed, 0},
      {"a written file that does not load", 24, ImageKind::kBitmap, "/e.jpg", 1,
       JpegSaveStatus::kReloadFailed, 518},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir + c.file;
    DocumentState doc;
    ASSERT_TRUE(CreateDocumentContainer(doc, 16));
    // Sharp colour edges in every 8 x 8 block: compression cannot keep them exactly.
    auto colour = [](int x, int y) {
      return Rgbq{uint8_t((x * 97 + y * 31) & 0xFF), uint8_t(((x ^ y) & 1) * 255),
                  uint8_t((x * y * 13) & 0xFF), 0};
    };
    PackedDib original = c.bits == 24
                             ? testing::Make24(16, 16, colour)
                             : testing::Make8(16, 16, [](int x, int y) { return uint8_t(x + y); });
    ASSERT_TRUE(InstallSinglePicture(doc, DuplicateBlock(original), ImageKind::kBitmap));
    doc.kind = c.kind;
    doc.filePath = dir + "/opened.png";
    doc.undo.Reset();
    std::string lastImagePath;
    LoadContext context;
    context.lastImagePath = &lastImagePath;
    SetPictureMemoryBudget(c.budget);
    const JpegSaveResult result = SaveJpegAndReload(doc, path, 75, context);
    SetPictureMemoryBudget(0);

    EXPECT_EQ(result.status, c.status);
    if (c.code != 0) {
      EXPECT_EQ(result.outcome, Outcome::Failed(static_cast<MessageId>(c.code)));
    }
    const bool written = c.status == JpegSaveStatus::kReloaded ||
                         c.status == JpegSaveStatus::kReloadFailed;
    EXPECT_EQ(result.Written(), written);
    EXPECT_EQ(std::filesystem::exists(path), written);
    if (!written) {
      EXPECT_EQ(doc.kind, c.kind);
      EXPECT_EQ(doc.filePath, dir + "/opened.png");
      EXPECT_FALSE(doc.undo.CanUndo());
      EXPECT_TRUE(testing::SamePicture(doc.currentPicture, original));
      continue;
    }
    EXPECT_EQ(doc.filePath, path);
    if (c.status == JpegSaveStatus::kReloadFailed) {
      // The reload is one edit that did not happen: no undo step, the picture as it was.
      EXPECT_EQ(doc.kind, ImageKind::kBitmap);
      EXPECT_TRUE(testing::SamePicture(doc.currentPicture, original));
      EXPECT_FALSE(doc.undo.CanUndo());
      continue;
    }
    ASSERT_TRUE(doc.undo.CanUndo());
    EXPECT_EQ(doc.kind, ImageKind::kJpeg);
    EXPECT_FALSE(HasUnsavedChanges(doc));
    EXPECT_FALSE(testing::SamePicture(doc.currentPicture, original));  // the compressed one
    ASSERT_TRUE(doc.undo.Undo(doc));
    EXPECT_TRUE(testing::SamePicture(doc.currentPicture, original));
    EXPECT_TRUE(HasUnsavedChanges(doc));  // the picture before compression is not the file
  }
}

}  // namespace
}  // namespace zel
