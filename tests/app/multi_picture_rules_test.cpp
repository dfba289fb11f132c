#include "app/multi_picture_rules.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "imagefiles/bmp_file.h"
#include "support/gif_builder.h"
#include "support/picture_fixtures.h"

namespace zel {
namespace {

// Sizes by file name, as the list would read them from the files.
std::optional<PictureExtent> FakeSize(const std::string& path) {
  static const std::map<std::string, PictureExtent> sizes = {
      {"a.bmp", {20, 10}}, {"b.GIF", {20, 10}},    {"c.jpeg", {20, 10}},
      {"d.Png", {20, 10}}, {"wide.png", {30, 10}},
  };
  auto it = sizes.find(path);
  if (it == sizes.end()) return std::nullopt;
  return it->second;
}

TEST(MultiPictureList, AddingChecksNameSizeAndCount) {
  PictureList list;
  using R = AddPictureResult;
  const std::vector<std::pair<std::string, R>> steps = {
      {"notes.txt", R::kIgnored},  // not a picture the program reads
      {"noextension", R::kIgnored},  {"unreadable.bmp", R::kIgnored},  // its size cannot be read
      {"a.bmp", R::kAdded},                                            // sets the size
      {"wide.png", R::kSizeDiffers}, {"b.GIF", R::kAdded},
      {"c.jpeg", R::kAdded},         {"d.Png", R::kAdded},
  };
  for (const auto& [path, result] : steps)
    EXPECT_EQ(AddPicture(list, path, FakeSize), result) << path;
  EXPECT_EQ(list.paths, (std::vector<std::string>{"a.bmp", "b.GIF", "c.jpeg", "d.Png"}));
  EXPECT_STREQ(AddPictureMessage(R::kSizeDiffers), "画像の幅、高さが異なる画像は、登録できません.");
  EXPECT_STREQ(AddPictureMessage(R::kTooMany), "40個以上の画像は、登録できません.");
  EXPECT_EQ(AddPictureMessage(R::kIgnored), nullptr);

  while (list.paths.size() < 40) ASSERT_EQ(AddPicture(list, "a.bmp", FakeSize), R::kAdded);
  EXPECT_EQ(AddPicture(list, "a.bmp", FakeSize), R::kTooMany);
  EXPECT_EQ(list.paths.size(), 40u);

  // An emptied list takes the size of the next first file.
  PictureList other;
  ASSERT_EQ(AddPicture(other, "a.bmp", FakeSize), R::kAdded);
  ASSERT_TRUE(RemovePicture(other, 0));
  EXPECT_EQ(AddPicture(other, "wide.png", FakeSize), R::kAdded);
}

TEST(MultiPictureList, DropsPassTheSameChecksInOrder) {
  PictureList list;
  using R = AddPictureResult;
  EXPECT_EQ(AddDroppedPictures(list, {"wide.png", "a.bmp", "x.txt", "b.GIF"}, FakeSize),
            (std::vector<R>{R::kAdded, R::kSizeDiffers, R::kIgnored, R::kSizeDiffers}));
  EXPECT_EQ(list.paths, (std::vector<std::string>{"wide.png"}));
}

TEST(MultiPictureList, RemoveAndMove) {
  PictureList list;
  list.paths = {"a", "b", "c"};
  EXPECT_FALSE(RemovePicture(list, -1));  // nothing highlighted
  EXPECT_FALSE(RemovePicture(list, 3));
  EXPECT_FALSE(MovePicture(list, 0, -1));
  EXPECT_FALSE(MovePicture(list, 2, 1));
  EXPECT_FALSE(MovePicture(list, 0, 2));
  EXPECT_TRUE(MovePicture(list, 0, 1));
  EXPECT_TRUE(MovePicture(list, 2, -1));
  EXPECT_EQ(list.paths, (std::vector<std::string>{"b", "c", "a"}));
  EXPECT_TRUE(RemovePicture(list, 1));
  EXPECT_EQ(list.paths, (std::vector<std::string>{"b", "a"}));
}

TEST(MultiPictureList, ReadsTheSizesOfRealFiles) {
  const std::string dir = testing::MakeTempDir();
  const std::string a = dir + "/a.bmp", b = dir + "/b.bmp";
  ASSERT_TRUE(WriteBmpFile(testing::Make8(
                               20, 10, [](int, int) { return 0; }, 2),
                           a));
  ASSERT_TRUE(WriteBmpFile(testing::Make8(
                               10, 20, [](int, int) { return 0; }, 2),
                           b));
  PictureList list;
  EXPECT_EQ(AddPicture(list, a), AddPictureResult::kAdded);
  EXPECT_EQ(list.size, (PictureExtent{20, 10}));
  EXPECT_EQ(AddPicture(list, b), AddPictureResult::kSizeDiffers);
  EXPECT_EQ(AddPicture(list, dir + "/missing.bmp"), AddPictureResult::kIgnored);
  std::filesystem::remove_all(dir);
}

TEST(MultiPictureOptions, ColourCountKeepsTheMeaningOfMakeAnime) {
  // Stored 0..7 means 2..256 colours; the combo lists 16..256.
  struct Case {
    int stored;
    int item;
  } opening[] = {{7, 4}, {3, 0}, {5, 2}, {2, -1}, {8, -1}, {-1, -1}};
  for (const Case& c : opening) {
    Settings settings;
    settings.colorCountIndex = c.stored;
    EXPECT_EQ(OpenMultiPictureDialog(settings).comboIndex, c.item) << c.stored;
  }
  Settings settings;
  settings.sideLength = 5000;
  MultiPictureDialogState state = OpenMultiPictureDialog(settings);
  EXPECT_EQ(state.side, 5000);
  EXPECT_EQ(state.timeValue, 100);
  EXPECT_FALSE(state.perCycle);
  EXPECT_FALSE(state.tempo);

  state.comboIndex = 0;
  StoreMultiPictureOptions(state, settings);
  EXPECT_EQ(settings.colorCountIndex, 3);  // "16色" in make-anime's meaning
  EXPECT_EQ(settings.sideLength, 5000);    // stored as it is
  EXPECT_EQ(MultiPictureOptionsOf(state).side, 1280);

  // No item selected: -1 is stored and the generation uses 16 colours.
  state.comboIndex = -1;
  StoreMultiPictureOptions(state, settings);
  EXPECT_EQ(settings.colorCountIndex, -1);
  EXPECT_EQ(MultiPictureOptionsOf(state).colorCountIndex, 0);
  state.comboIndex = 4;
  StoreMultiPictureOptions(state, settings);
  EXPECT_EQ(settings.colorCountIndex, 7);
  EXPECT_EQ(OpenMultiPictureDialog(settings).comboIndex, 4);
}

}  // namespace
}  // namespace zel
