#include "resources/language.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

TEST(Language, LocaleNamesAndSettings) {
  struct Case {
    const char* locale;
    Language expected;
  };
  for (const Case& c : {Case{"ja_JP.UTF-8", Language::kJapanese}, Case{"ja", Language::kJapanese},
                        Case{"ja_JP.eucJP", Language::kJapanese},
                        Case{"en_US.UTF-8", Language::kEnglish}, Case{"C", Language::kEnglish},
                        Case{"POSIX", Language::kEnglish}, Case{"", Language::kEnglish},
                        Case{"de_DE.UTF-8", Language::kEnglish}}) {
    EXPECT_EQ(LanguageOfLocale(c.locale), c.expected) << c.locale;
  }
  EXPECT_EQ(ResolveLanguage(LanguageChoice::kAutomatic, Language::kJapanese), Language::kJapanese);
  EXPECT_EQ(ResolveLanguage(LanguageChoice::kAutomatic, Language::kEnglish), Language::kEnglish);
  EXPECT_EQ(ResolveLanguage(LanguageChoice::kEnglish, Language::kJapanese), Language::kEnglish);
  EXPECT_EQ(ResolveLanguage(LanguageChoice::kJapanese, Language::kEnglish), Language::kJapanese);
}

}  // namespace
}  // namespace zel
