#include "platform/file_io.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

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

TEST(FileIo, AFifoIsRefusedWithoutWaitingForAWriter) {
  std::string dir = testing::MakeTempDir();
  std::string fifo = dir + "/pipe.gif";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // Each read would block forever if it opened the FIFO as a file.
  EXPECT_FALSE(ReadFileBytes(fifo));
  EXPECT_FALSE(ReadFileHead(fifo, 16));
  EXPECT_EQ(OpenFileForReading(fifo), nullptr);
  EXPECT_EQ(OpenFileForReading(dir + "/missing"), nullptr);
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

std::vector<uint8_t> Bytes(const std::string& path) {
  auto bytes = ReadFileBytes(path);
  return bytes ? *bytes : std::vector<uint8_t>{};
}

std::string LinkTarget(const std::string& link) {
  char buffer[4096];
  ssize_t n = readlink(link.c_str(), buffer, sizeof buffer);
  return n < 0 ? std::string() : std::string(buffer, static_cast<size_t>(n));
}

// Saving through a symbolic link writes the file it points at; the link stays a link.
TEST(FileIo, SymbolicLinksAreFollowed) {
  std::string dir = testing::MakeTempDir();
  ASSERT_EQ(mkdir((dir + "/art").c_str(), 0755), 0);
  const uint8_t old[] = {1, 2}, fresh[] = {7, 7, 7};
  ASSERT_TRUE(WriteFileAtomically(dir + "/art/real.gif", old, 2));
  chmod((dir + "/art/real.gif").c_str(), 0640);
  // A relative link, and a link to that link from another folder.
  ASSERT_EQ(symlink("art/real.gif", (dir + "/link.gif").c_str()), 0);
  ASSERT_EQ(mkdir((dir + "/other").c_str(), 0755), 0);
  ASSERT_EQ(symlink((dir + "/link.gif").c_str(), (dir + "/other/second.gif").c_str()), 0);

  for (const std::string& through : {dir + "/link.gif", dir + "/other/second.gif"}) {
    ASSERT_TRUE(WriteFileAtomically(through, fresh, 3)) << through;
    EXPECT_EQ(Bytes(dir + "/art/real.gif"), std::vector<uint8_t>(fresh, fresh + 3)) << through;
    struct stat st;
    ASSERT_EQ(lstat(through.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode)) << through;
    ASSERT_EQ(stat((dir + "/art/real.gif").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u) << through;
  }
  EXPECT_EQ(LinkTarget(dir + "/link.gif"), "art/real.gif");
  EXPECT_EQ(CountEntries(dir + "/art"), 1);  // no temporary left beside the target
  EXPECT_EQ(CountEntries(dir + "/other"), 1);

  // A link to a file not there yet creates that file.
  ASSERT_EQ(symlink("art/new.gif", (dir + "/dangling.gif").c_str()), 0);
  ASSERT_TRUE(WriteFileAtomically(dir + "/dangling.gif", fresh, 3));
  EXPECT_EQ(Bytes(dir + "/art/new.gif").size(), 3u);
  // A loop of links is refused.
  ASSERT_EQ(symlink("loop-b", (dir + "/loop-a").c_str()), 0);
  ASSERT_EQ(symlink("loop-a", (dir + "/loop-b").c_str()), 0);
  EXPECT_FALSE(WriteFileAtomically(dir + "/loop-a", fresh, 3));
}

// A read-only file stays as it is, also for root, who could write it anyway.
TEST(FileIo, ReadOnlyFilesAreNotReplaced) {
  std::string dir = testing::MakeTempDir();
  std::string path = dir + "/kept.gif";
  const uint8_t old[] = {1, 2}, fresh[] = {9};
  ASSERT_TRUE(WriteFileAtomically(path, old, 2));
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  EXPECT_FALSE(WriteFileAtomically(path, fresh, 1));
  EXPECT_EQ(Bytes(path), std::vector<uint8_t>(old, old + 2));
  ASSERT_EQ(symlink("kept.gif", (dir + "/link.gif").c_str()), 0);
  EXPECT_FALSE(WriteFileAtomically(dir + "/link.gif", fresh, 1));
  EXPECT_EQ(Bytes(path), std::vector<uint8_t>(old, old + 2));
  EXPECT_EQ(CountEntries(dir), 2);
}

constexpr uid_t kNobody = 65534;

// Another user's file in a folder everyone may write: the folder would allow replacing
// it, the file does not. Run as that user in a child process (tests run as root here; an
// ordinary user is that other user already).
TEST(FileIo, OtherUsersFilesAreNotReplaced) {
  std::string dir = testing::MakeTempDir();
  ASSERT_EQ(chmod(dir.c_str(), 0777), 0);
  std::string path = dir + "/theirs.gif";
  const uint8_t old[] = {1, 2};
  ASSERT_TRUE(WriteFileAtomically(path, old, 2));
  ASSERT_EQ(chmod(path.c_str(), 0644), 0);
  const bool root = geteuid() == 0;
  if (!root && access(path.c_str(), W_OK) == 0) {
    GTEST_SKIP() << "no second user to write as";
  }
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    if (root && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(3);
    const uint8_t fresh[] = {9};
    _exit(WriteFileAtomically(path, fresh, 1) ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_NE(WEXITSTATUS(status), 3) << "cannot become user nobody";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the file was replaced";
  EXPECT_EQ(Bytes(path), std::vector<uint8_t>(old, old + 2));
  EXPECT_EQ(CountEntries(dir), 1);
}

// Root replacing another user's file gives the new file that user and group.
TEST(FileIo, OwnerIsKeptWherePossible) {
  if (geteuid() != 0) GTEST_SKIP() << "only root may give a file to another user";
  std::string dir = testing::MakeTempDir();
  std::string path = dir + "/given.gif";
  const uint8_t old[] = {1}, fresh[] = {2, 3};
  ASSERT_TRUE(WriteFileAtomically(path, old, 1));
  ASSERT_EQ(chown(path.c_str(), kNobody, kNobody), 0);
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(WriteFileAtomically(path, fresh, 2));
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, kNobody);
  EXPECT_EQ(st.st_gid, kNobody);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(Bytes(path).size(), 2u);
}

}  // namespace
}  // namespace zel
