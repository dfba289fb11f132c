#include "platform/file_io.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/gif_builder.h"

namespace zel {
namespace {

int CountEntries(const std::string& dir) {
  int n = 0;
  DIR* d = opendir(dir.c_str());
  while (dirent* e = readdir(d)) {
    if (e->d_name[0] != '.' || std::string(e->d_name).size() > 2) ++n;
  }
  closedir(d);
  return n;
}

TEST(FileIo, AtomicWritesReplaceWholeFilesAndLeaveNoTemporaries) {
  std::string dir = testing::MakeTempDir();
  std::string path = dir + "/a.bin";
  const uint8_t first[] = {1, 2, 3};
  ASSERT_TRUE(WriteFileAtomically(path, first, 3));
  chmod(path.c_str(), 0640);
  const uint8_t second[] = {9};
  ASSERT_TRUE(WriteFileAtomically(path, second, 1));
  auto bytes = ReadFileBytes(path);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(*bytes, std::vector<uint8_t>{9});
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);  // an existing file keeps its mode
  EXPECT_EQ(CountEntries(dir), 1);

  EXPECT_FALSE(WriteFileAtomically(dir + "/no/such/folder/x", first, 3));
  EXPECT_FALSE(WriteFileAtomically(dir, first, 3));  // a folder is not replaced
  EXPECT_FALSE(ReadFileBytes(dir + "/missing"));
  EXPECT_FALSE(ReadFileBytes(dir));
  EXPECT_EQ(CountEntries(dir), 1);
}

}  // namespace
}  // namespace zel
