// Every crafted hostile file is refused or opened through the loader within the time and
// memory a user can accept: under a second and 256 MB of peak memory each, measured in a
// child process of its own.

#include "support/hostile_files.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>

#include "imagefiles/image_loader.h"
#include "support/gif_builder.h"

namespace zel {
namespace {

constexpr long kMostKiB = 256 * 1024;

TEST(HostileFiles, EachIsRefusedOrOpenedQuicklyInLittleMemory) {
  const std::string dir = testing::MakeTempDir();
  for (const testing::HostileFile& file : testing::HostileFiles()) {
    SCOPED_TRACE(file.name + ": " + file.what);
    EXPECT_LE(file.bytes.size(), 1024u);
    const std::string path = dir + "/" + file.name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.bytes.data()),
               static_cast<std::streamsize>(file.bytes.size()));

    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      DocumentState doc;
      if (!CreateDocumentContainer(doc, kFrameMaxDefault)) _exit(255);
      LoadContext context;
      int result = LoadImageFile(doc, path, LoadMode::kOpen, context);
      _exit(result == 0 ? 0 : result - 500);
    }
    int status = 0;
    struct rusage usage = {};
    ASSERT_EQ(wait4(pid, &status, 0, &usage), pid);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    int code = WEXITSTATUS(status);
    EXPECT_EQ(code == 0 ? 0 : code + 500, file.message);
    EXPECT_LT(seconds, 1.0);
    EXPECT_LT(usage.ru_maxrss, kMostKiB);
  }
}

}  // namespace
}  // namespace zel
