#include "platform/scratch_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/gif_builder.h"

namespace zel {
namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

TEST(ScratchFile, PrivateFileReadAndWrittenAtOffsetsAndDeletedOnClose) {
  const std::string dir = testing::MakeTempDir();
  const char* saved = std::getenv("TMPDIR");
  const std::string before = saved ? saved : "";
  setenv("TMPDIR", dir.c_str(), 1);
  ScratchFile file;
  ASSERT_TRUE(file.Create("ZEL"));
  if (saved) {
    setenv("TMPDIR", before.c_str(), 1);
  } else {
    unsetenv("TMPDIR");
  }
  EXPECT_EQ(file.path().rfind(dir + "/ZEL", 0), 0u) << file.path();
  struct stat st;
  ASSERT_EQ(stat(file.path().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  const uint8_t a[] = {1, 2, 3, 4};
  const uint8_t b[] = {9, 8};
  ASSERT_TRUE(file.WriteAt(0, a, 4));
  ASSERT_TRUE(file.WriteAt(6, b, 2));  // the gap reads as zeros
  std::vector<uint8_t> back(8);
  ASSERT_TRUE(file.ReadAt(0, back.data(), 8));
  EXPECT_EQ(back, (std::vector<uint8_t>{1, 2, 3, 4, 0, 0, 9, 8}));
  EXPECT_FALSE(file.ReadAt(7, back.data(), 2));  // past the end
  EXPECT_FALSE(file.ReadAt(-1, back.data(), 1));
  EXPECT_FALSE(file.WriteAt(-1, a, 1));

  const std::string path = file.path();
  file.Close();
  EXPECT_FALSE(file.IsOpen());
  EXPECT_FALSE(Exists(path));
  EXPECT_FALSE(file.ReadAt(0, back.data(), 1));

  // A new file replaces the old one, which is deleted.
  ASSERT_TRUE(file.Create("ZEL"));
  const std::string first = file.path();
  ASSERT_TRUE(file.Create("ZEL"));
  EXPECT_FALSE(Exists(first));
  EXPECT_TRUE(Exists(file.path()));
}

}  // namespace
}  // namespace zel
