#include "platform/process.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/private_folder.h"

namespace zel {
namespace {

TEST(Process, StartsWithAnArgumentListAndReportsTheExit) {
  ChildProcess child;
  // Arguments reach the program as they are: no shell splits or expands them.
  ASSERT_TRUE(child.Start({"sh", "-c", "test \"$1\" = 'a b;$HOME' && exit 3", "sh", "a b;$HOME"}));
  ASSERT_TRUE(child.WaitFor(5000));
  EXPECT_EQ(child.exitCode(), 3);
  EXPECT_TRUE(child.HasEnded());

  ChildProcess none;
  EXPECT_FALSE(none.Start({"/nonexistent/program"}));
  EXPECT_FALSE(none.Start({}));
  EXPECT_FALSE(StartDetached({"no-such-program-zel"}));
}

TEST(Process, OutputOfAQuickProgramAndNoneOfASlowOrFailingOne) {
  EXPECT_EQ(RunForOutput({"sh", "-c", "printf 'x-app.desktop\\n'"}, 5000), "x-app.desktop\n");
  EXPECT_EQ(RunForOutput({"sh", "-c", "head -c 100000 /dev/zero"}, 5000, 10)->size(), 10u);
  EXPECT_FALSE(RunForOutput({"sh", "-c", "exit 1"}, 5000));
  const auto begin = std::chrono::steady_clock::now();
  EXPECT_FALSE(RunForOutput({"sleep", "10"}, 200));
  EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(3));
}

TEST(Process, FindsProgramsOnThePathOnly) {
  PrivateFolder folder;
  ASSERT_TRUE(folder.Create("zel-path-"));
  const std::string program = folder.path() + "tool";
  std::ofstream(program) << "#!/bin/sh\n";
  ::chmod(program.c_str(), 0644);
  EXPECT_FALSE(IsExecutableFile(program));
  ::chmod(program.c_str(), 0755);
  EXPECT_TRUE(IsExecutableFile(program));
  const char* old = std::getenv("PATH");
  const std::string saved = old ? old : "";
  ::setenv("PATH", (":relative:" + folder.path()).c_str(), 1);
  EXPECT_EQ(FindExecutable("tool"), program);
  EXPECT_EQ(FindExecutable("missing"), "");
  ::setenv("PATH", saved.c_str(), 1);
  EXPECT_FALSE(ExecutableFolder().empty());
}

TEST(PrivateFolder, MadeForOneUserAndRemovedWithItsContents) {
  std::string path;
  {
    PrivateFolder folder;
    ASSERT_TRUE(folder.Create("zel-test-"));
    path = folder.path();
    struct stat st {};
    ASSERT_EQ(::lstat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    std::ofstream(path + "ZelBitmap.bmp") << "x";
    std::filesystem::create_symlink("/etc/hostname", path + "link");
  }
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_TRUE(std::filesystem::exists("/etc/hostname"));
}

}  // namespace
}  // namespace zel
