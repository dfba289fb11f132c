// Every crafted hostile file is refused or opened through the loader within the time and
// memory a user can accept: under a second and 256 MB of memory each. Each load runs in a
// child process, which measures how far its peak resident memory grew above what it took
// over from this process.

#include "support/hostile_files.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "imagefiles/image_loader.h"
#include "support/gif_builder.h"
#include "support/process_memory.h"

namespace zel {
namespace {

constexpr long kMostKiB = 256 * 1024;

// Loads `path` and reports the loader's answer and the growth of the peak resident memory
// (the high-water mark reset to the memory at the start).
void LoadInChild(const std::string& path, int reportFd) {
  const bool resetDone = testing::ResetPeakMemory();
  const long before = static_cast<long>(testing::StatusBytes("VmRSS:") / 1024);
  long result[2] = {0, -1};
  DocumentState doc;
  if (CreateDocumentContainer(doc, kFrameMaxDefault)) {
    LoadContext context;
    const Outcome loaded = LoadImageFile(doc, path, LoadMode::kOpen, context);
    result[0] = loaded.done() ? 0 : MessageNumber(loaded.message());
  } else {
    result[0] = -1;
  }
  if (resetDone) result[1] = static_cast<long>(testing::StatusBytes("VmHWM:") / 1024) - before;
  (void)!write(reportFd, result, sizeof result);
  _exit(0);
}

TEST(HostileFiles, EachIsRefusedOrOpenedQuicklyInLittleMemory) {
  const std::string dir = testing::MakeTempDir();
  for (const testing::HostileFile& file : testing::HostileFiles()) {
    SCOPED_TRACE(file.name + ": " + file.what);
    EXPECT_LE(file.bytes.size(), 1024u);
    const std::string path = dir + "/" + file.name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.bytes.data()),
               static_cast<std::streamsize>(file.bytes.size()));

    int report[2];
    ASSERT_EQ(pipe(report), 0);
    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      close(report[0]);
      LoadInChild(path, report[1]);
    }
    close(report[1]);
    long result[2] = {-2, -1};
    const bool reported = read(report[0], result, sizeof result) == sizeof result;
    close(report[0]);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    ASSERT_TRUE(reported);
    EXPECT_EQ(result[0], file.message);
    EXPECT_LT(seconds, 1.0);
    if (result[1] >= 0) {
      EXPECT_LT(result[1], kMostKiB);
    }
  }
}

}  // namespace
}  // namespace zel
