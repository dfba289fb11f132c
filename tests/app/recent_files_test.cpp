#include "app/recent_files.h"

#include <gtest/gtest.h>

#include "app/command_ids.h"

namespace zel {
namespace {

using List = std::vector<std::string>;

TEST(RecentFiles, StoredListReadsBackInOrder) {
  struct Case {
    const char* name;
    List stored;
    List readBack;
  } cases[] = {
      {"empty", {}, {}},
      {"four", {"/a.gif", "/b.gif", "/c.gif", "/d.gif"}, {"/a.gif", "/b.gif", "/c.gif", "/d.gif"}},
      {"beyond the four places", {"/1", "/2", "/3", "/4", "/5"}, {"/1", "/2", "/3", "/4"}},
      {"a line break cannot be kept", {"/a\nb.gif", "/c.gif"}, {"/c.gif"}},
      {"spaces, quotes, '=' and UTF-8",
       {" /lead.gif", "/trail.gif ", "\"/q.gif\"", "/写真/a=b;c.gif"},
       {" /lead.gif", "/trail.gif ", "\"/q.gif\"", "/写真/a=b;c.gif"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProfileFile file;
    StoreRecentFiles(c.stored, file);
    ProfileFile reread;
    reread.Parse(file.Text());
    EXPECT_EQ(LoadRecentFiles(reread), c.readBack);
    EXPECT_TRUE(HasRecentFileList(reread));
  }
}

TEST(RecentFiles, AShorterListEmptiesThePlacesAfterIt) {
  ProfileFile file;
  StoreRecentFiles({"/1", "/2", "/3", "/4"}, file);
  StoreRecentFiles({"/2"}, file);
  EXPECT_EQ(LoadRecentFiles(file), List{"/2"});
}

TEST(RecentFiles, ReadingSkipsEmptyPlacesAndRepeats) {
  ProfileFile file;
  file.Parse("[Recent File List]\nFile1=/a\nFile2=\nFile3=/a\nFile4=/b\nFile5=/c\n");
  EXPECT_EQ(LoadRecentFiles(file), (List{"/a", "/b"}));
  EXPECT_TRUE(LoadRecentFiles(ProfileFile()).empty());
}

TEST(RecentFiles, AnOldListIsTakenOnlyWhenTheFileHasNone) {
  ProfileFile file;
  file.Parse("[option]\nLen=0\n");
  ASSERT_FALSE(HasRecentFileList(file));
  EXPECT_TRUE(AdoptOldRecentFiles({"/old1", "/old1", "/old2"}, file));
  EXPECT_EQ(LoadRecentFiles(file), (List{"/old1", "/old2"}));
  EXPECT_EQ(file.Get("option", "Len"), "0");

  // A list of its own, even an emptied one, stays.
  ProfileFile own;
  StoreRecentFiles({}, own);
  EXPECT_FALSE(AdoptOldRecentFiles({"/old"}, own));
  EXPECT_TRUE(LoadRecentFiles(own).empty());
}

}  // namespace
}  // namespace zel
