#include "app/save_rules.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "platform/file_io.h"
#include "support/gif_builder.h"

namespace zel {
namespace {

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Which question a save asks before it writes, and its words.
TEST(OverwriteQuestion, AsksOnlyForAFileThatIsThereAndSaysWhenItsFramesWereCut) {
  struct Case {
    bool exists;
    bool cut;
    OverwriteQuestion question;
    const char* text;
  } cases[] = {
      {false, false, OverwriteQuestion::kNone, nullptr},
      {false, true, OverwriteQuestion::kNone, nullptr},  // gone since: nothing is lost
      {true, false, OverwriteQuestion::kReplaceFile,
       "出力画像ファイルが存在するようです、上書きします。\nよろしいですか?"},
      {true, true, OverwriteQuestion::kReplaceCutFile,
       "出力画像ファイルは読み込み時にコマが削られています。上書きすると残りのコマは失われます。"
       "\nよろしいですか?"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.exists << c.cut);
    const OverwriteQuestion question = OverwriteQuestionFor(c.exists, c.cut);
    EXPECT_EQ(question, c.question);
    const char* text = OverwriteQuestionText(question);
    if (c.text == nullptr) {
      EXPECT_EQ(text, nullptr);
    } else {
      ASSERT_NE(text, nullptr);
      EXPECT_STREQ(text, c.text);
    }
  }
}

// The cut file is known as the file itself: by another name too, and no longer once it
// was rewritten (the program's own saves replace it atomically).
TEST(OverwriteQuestion, KnowsTheCutFileByItselfNotByItsName) {
  const std::string dir = testing::MakeTempDir();
  const std::string cutFile = dir + "/long.gif";
  const std::string other = dir + "/other.gif";
  const std::string link = dir + "/link.gif";
  WriteText(cutFile, "GIF89a three hundred frames");
  WriteText(other, "GIF89a");
  ASSERT_EQ(::symlink(cutFile.c_str(), link.c_str()), 0);
  CutFrameFiles cut;
  cut.Remember(cutFile);
  cut.Remember(dir + "/missing.gif");  // nothing to remember

  EXPECT_EQ(OverwriteQuestionForPath(cutFile, &cut), OverwriteQuestion::kReplaceCutFile);
  EXPECT_EQ(OverwriteQuestionForPath(link, &cut), OverwriteQuestion::kReplaceCutFile);
  EXPECT_EQ(OverwriteQuestionForPath(other, &cut), OverwriteQuestion::kReplaceFile);
  EXPECT_EQ(OverwriteQuestionForPath(other, nullptr), OverwriteQuestion::kReplaceFile);
  EXPECT_EQ(OverwriteQuestionForPath(dir + "/missing.gif", &cut), OverwriteQuestion::kNone);
  EXPECT_EQ(OverwriteQuestionForPath(dir + "/new.gif", &cut), OverwriteQuestion::kNone);

  const std::string shorter = "GIF89a 256 frames";
  ASSERT_TRUE(WriteFileAtomically(cutFile, reinterpret_cast<const uint8_t*>(shorter.data()),
                                  shorter.size()));
  EXPECT_EQ(OverwriteQuestionForPath(cutFile, &cut), OverwriteQuestion::kReplaceFile);
}

}  // namespace
}  // namespace zel
