#include "app/save_document.h"

#include <gtest/gtest.h>

#include "support/gif_builder.h"

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

}  // namespace
}  // namespace zel
