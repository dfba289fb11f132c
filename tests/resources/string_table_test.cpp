#include "resources/string_table.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "support/language_scope.h"

namespace zel {
namespace {

using testing::IsAscii;
using testing::LanguageScope;

// The printf conversions of a format, in order ("%d", "%s", ...); "%%" is no conversion.
std::vector<std::string> Conversions(const char* format) {
  std::vector<std::string> found;
  for (const char* p = format; *p != '\0'; ++p) {
    if (*p != '%') continue;
    if (p[1] == '%') {
      ++p;
      continue;
    }
    const char* start = p++;
    while (*p != '\0' && std::strchr("-+ #0123456789.hlLqjzt", *p) != nullptr) ++p;
    if (*p == '\0') break;
    found.emplace_back(start, p + 1);
  }
  return found;
}

TEST(StringTable, EveryMessageHasJapaneseAndEnglishWithTheSameConversions) {
  for (MessageId id : kMessageIds) {
    SCOPED_TRACE(MessageNumber(id));
    const char* japanese = MessageText(id, Language::kJapanese);
    const char* english = MessageText(id, Language::kEnglish);
    if (id == kMsgNoPictureHandedOver) {  // nothing to say in either language
      EXPECT_EQ(japanese, nullptr);
      EXPECT_EQ(english, nullptr);
      continue;
    }
    ASSERT_NE(japanese, nullptr);
    ASSERT_NE(english, nullptr);
    EXPECT_GT(std::strlen(japanese), 0u);
    EXPECT_GT(std::strlen(english), 0u);
    EXPECT_FALSE(IsAscii(japanese)) << japanese;
    EXPECT_TRUE(IsAscii(english)) << english;
    EXPECT_EQ(Conversions(japanese), Conversions(english)) << english;
  }
  EXPECT_EQ(Conversions(MessageText(kMsgFramesDropped, Language::kEnglish)),
            (std::vector<std::string>{"%d", "%d"}));
  EXPECT_EQ(MessageText(static_cast<MessageId>(515), Language::kEnglish), nullptr);
}

TEST(StringTable, TheCurrentLanguageChoosesTheColumn) {
  for (Language language : {Language::kJapanese, Language::kEnglish}) {
    LanguageScope scope(language);
    for (MessageId id : kMessageIds) {
      EXPECT_EQ(MessageText(id), MessageText(id, language)) << MessageNumber(id);
    }
    EXPECT_STREQ(MessageText(kMsgCannotWriteImage), Say(kGifWriteFailedText));
  }
  EXPECT_STREQ(MessageText(kMsgBadImageFile, Language::kJapanese),
               "画像ファイルが壊れているか、ファイルが存在しません.");
  EXPECT_STREQ(MessageText(kMsgBadImageFile, Language::kEnglish),
               "The picture file is damaged or does not exist.");
}

// Message 535 sends the user to the options' paint-program setting by the label the options
// dialog shows, in either language.
TEST(StringTable, ThePaintProgramMessageNamesTheOptionsLabel) {
  EXPECT_STREQ(Say(kEditorSettingLabel, Language::kJapanese), "編集ﾂｰﾙ");
  EXPECT_STREQ(Say(kEditorSettingLabel, Language::kEnglish), "Paint program");
  for (Language language : {Language::kJapanese, Language::kEnglish}) {
    const std::string text = MessageText(kMsgNoPaintProgram, language);
    EXPECT_NE(text.find(Say(kEditorSettingLabel, language)), std::string::npos) << text;
  }
}

}  // namespace
}  // namespace zel
