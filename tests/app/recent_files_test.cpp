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

// Opening a file: it comes first, by its absolute name, once, and the list keeps four.
TEST(RecentFiles, OpenedFileComesFirst) {
  struct Case {
    const char* name;
    List before;
    const char* opened;
    List after;
  } cases[] = {
      {"into an empty list", {}, "/a.gif", {"/a.gif"}},
      {"new first", {"/a", "/b"}, "/c", {"/c", "/a", "/b"}},
      {"a duplicate moves to the front", {"/a", "/b", "/c"}, "/c", {"/c", "/a", "/b"}},
      {"the first stays first", {"/a", "/b"}, "/a", {"/a", "/b"}},
      {"capped at four", {"/1", "/2", "/3", "/4"}, "/5", {"/5", "/1", "/2", "/3"}},
      {"a duplicate in a full list", {"/1", "/2", "/3", "/4"}, "/4", {"/4", "/1", "/2", "/3"}},
      {"relative made absolute", {"/a"}, "pics/b.gif", {"/home/u/pics/b.gif", "/a"}},
      {"relative matches its absolute entry",
       {"/a", "/home/u/b.gif"},
       "./b.gif",
       {"/home/u/b.gif", "/a"}},
      {"an absolute name with steps in it", {"/a"}, "/x//y/../b.gif", {"/x/b.gif", "/a"}},
      {"an empty name changes nothing", {"/a"}, "", {"/a"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(WithRecentFile(c.before, c.opened, "/home/u"), c.after);
  }
}

TEST(RecentFiles, RemovalKeepsTheOthersInOrder) {
  EXPECT_EQ(WithoutRecentFile({"/a", "/b", "/c"}, "/b"), (List{"/a", "/c"}));
  EXPECT_EQ(WithoutRecentFile({"/a", "/b"}, "/x"), (List{"/a", "/b"}));
  EXPECT_EQ(WithoutRecentFile({"/a"}, "/a"), List{});
}

TEST(RecentFiles, AbsoluteNames) {
  struct Case {
    const char* path;
    const char* folder;
    const char* absolute;
  } cases[] = {
      {"/p/a.gif", "/cwd", "/p/a.gif"},
      {"a.gif", "/cwd", "/cwd/a.gif"},
      {"a.gif", "/cwd/", "/cwd/a.gif"},
      {"a.gif", "/", "/a.gif"},
      {"../a.gif", "/cwd/sub", "/cwd/a.gif"},
      {"../../../a.gif", "/cwd", "/a.gif"},  // nothing lies above the root
      {"/p/./q/../a.gif", "/cwd", "/p/a.gif"},
      {"//p///a.gif", "/cwd", "/p/a.gif"},
      {".", "/cwd", "/cwd"},
      {"/", "/cwd", "/"},
      {"写真/a.gif", "/ホーム", "/ホーム/写真/a.gif"},
      {"", "/cwd", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AbsoluteFilePath(c.path, c.folder), c.absolute) << c.path << " in " << c.folder;
  }
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
