#include "app/help_page.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/gif_builder.h"

namespace zel {
namespace {

TEST(HelpPage, TheLanguagesPageAndTheJapaneseOneWhenTheEnglishIsMissing) {
  const std::string withBoth = testing::MakeTempDir();
  const std::string japaneseOnly = testing::MakeTempDir();
  const std::string folderNamedLikeThePage = testing::MakeTempDir();
  for (const std::string& folder : {withBoth, japaneseOnly, folderNamedLikeThePage}) {
    std::ofstream(folder + "/index.html") << "<html></html>";
  }
  std::ofstream(withBoth + "/index_en.html") << "<html></html>";
  std::filesystem::create_directory(folderNamedLikeThePage + "/index_en.html");

  const struct {
    std::string folder;
    Language language;
    std::string page;
  } cases[] = {
      {withBoth, Language::kJapanese, withBoth + "/index.html"},
      {withBoth + "/", Language::kEnglish, withBoth + "/index_en.html"},
      {withBoth, Language::kEnglish, withBoth + "/index_en.html"},
      {japaneseOnly, Language::kEnglish, japaneseOnly + "/index.html"},
      {japaneseOnly, Language::kJapanese, japaneseOnly + "/index.html"},
      {folderNamedLikeThePage, Language::kEnglish, folderNamedLikeThePage + "/index.html"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HelpPagePath(c.folder, c.language), c.page) << c.folder;
  }
}

TEST(HelpPage, BesideTheProgramInTheBuildElseWhereTheInstallationPutsIt) {
  const std::string build = testing::MakeTempDir();
  std::filesystem::create_directory(build + "/help");
  std::ofstream(build + "/help/index.html") << "<html></html>";
  const std::string installed = testing::MakeTempDir();
  std::filesystem::create_directories(installed + "/bin");

  EXPECT_EQ(HelpFolder(build), build + "/help");
  EXPECT_EQ(HelpFolder(installed + "/bin"), installed + "/bin/../share/zel/help");
}

}  // namespace
}  // namespace zel
