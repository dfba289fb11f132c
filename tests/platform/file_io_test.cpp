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

TEST(FileIo, FileHeadsAndQuestionsAboutFiles) {
  std::string dir = testing::MakeTempDir();
  std::string path = dir + "/short.bin";
  const uint8_t bytes[] = {1, 2, 3, 4, 5};
  ASSERT_TRUE(WriteFileAtomically(path, bytes, 5));
  EXPECT_EQ(*ReadFileHead(path, 3), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(*ReadFileHead(path, 100), (std::vector<uint8_t>{1, 2, 3, 4, 5}));
  EXPECT_FALSE(ReadFileHead(dir, 10));  // a folder
  EXPECT_FALSE(ReadFileHead(dir + "/missing", 10));
  // A FIFO with no writer is refused at once instead of blocking the reader.
  const std::string fifo = dir + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(ReadFileHead(fifo, 10));
  EXPECT_FALSE(IsRegularFile(fifo));
  EXPECT_TRUE(PathExists(fifo));

  EXPECT_TRUE(IsRegularFile(path));
  EXPECT_FALSE(IsFolder(path));
  EXPECT_TRUE(IsFolder(dir));
  EXPECT_FALSE(PathExists(dir + "/missing"));

  EXPECT_EQ(ProbeNewFile(path), NewFileProbe::kExists);
  EXPECT_EQ(*ReadFileBytes(path), (std::vector<uint8_t>{1, 2, 3, 4, 5}));  // untouched
  EXPECT_EQ(ProbeNewFile(dir + "/new.gif"), NewFileProbe::kCreatable);
  EXPECT_FALSE(PathExists(dir + "/new.gif"));  // removed again
  EXPECT_EQ(ProbeNewFile(dir + "/no/such/folder/x"), NewFileProbe::kNotCreatable);
}

}  // namespace
}  // namespace zel
