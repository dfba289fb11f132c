// zel-cli speaks the language of its locale: Japanese under a Japanese one, English under any
// other, the locale read as the C library reads it (LC_ALL, LC_MESSAGES, then LANG).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_runner.h"
#include "support/language_scope.h"

namespace zel::clitest {
namespace {

using zel::testing::IsAscii;

constexpr const char* kBadFileJapanese = "画像ファイルが壊れているか、ファイルが存在しません.";
constexpr const char* kBadFileEnglish = "The picture file is damaged or does not exist.";

TEST(CliLanguage, MessagesFollowTheLocale) {
  TempDir dir;
  WriteBytes(dir / "bad.gif", {'G', 'I', 'F', '8', '9', 'a', 1});
  struct Case {
    std::vector<std::string> locale;
    bool japanese;
  } cases[] = {
      {{"LANG=en_US.UTF-8"}, false},
      {{"LANG=ja_JP.UTF-8"}, true},
      {{"LC_ALL=ja_JP.UTF-8", "LANG=en_US.UTF-8"}, true},
      {{"LC_MESSAGES=en_US.UTF-8", "LANG=ja_JP.UTF-8"}, false},
      {{"LC_ALL=", "LANG=ja_JP.eucJP"}, true},  // an empty variable does not decide
      {{"LANG=C"}, false},
      {{}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.locale.empty() ? "no locale" : c.locale.back());
    const RunResult run = RunCliInLocale(c.locale, {"convert", dir / "bad.gif", dir / "out.gif"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find(c.japanese ? kBadFileJapanese : kBadFileEnglish), std::string::npos)
        << run.err;
    if (!c.japanese) EXPECT_TRUE(IsAscii(run.err)) << run.err;
  }
}

// The usage and its effect names are English under an English locale; under a Japanese one the
// editor's items and the effects carry their Japanese names.
TEST(CliLanguage, HelpInEitherLanguage) {
  const RunResult english = RunCliInLocale({kEnglishLocale}, {"--help"});
  ASSERT_EQ(english.exitCode, 0);
  EXPECT_TRUE(IsAscii(english.out)) << english.out;
  EXPECT_NE(english.out.find("zoom-in-out (Zoom in and out)"), std::string::npos) << english.out;
  const RunResult japanese = RunCli({"--help"});
  ASSERT_EQ(japanese.exitCode, 0);
  EXPECT_NE(japanese.out.find("as the editor's アニメ作成:"), std::string::npos);
  EXPECT_NE(japanese.out.find("zoom-in-out (ｽﾞｰﾑｲﾝｱｳﾄ)"), std::string::npos) << japanese.out;
  // An unknown command prints the usage to stderr, English likewise.
  const RunResult wrong = RunCliInLocale({kEnglishLocale}, {"frobnicate"});
  EXPECT_EQ(wrong.exitCode, 2);
  EXPECT_TRUE(IsAscii(wrong.err));
}

}  // namespace
}  // namespace zel::clitest
