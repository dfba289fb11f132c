#include "support/video_clips.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <mutex>

#include "support/gif_builder.h"

extern char** environ;

namespace zel::testing {
namespace {

struct ClipFolder {
  std::string path = MakeTempDir();
  std::map<std::string, std::string> made;
  std::mutex mutex;
  ~ClipFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
};

ClipFolder& Clips() {
  static ClipFolder folder;
  return folder;
}

}  // namespace

bool RunQuietly(const std::vector<std::string>& argv) {
  if (argv.empty()) return false;
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string TestClip(const std::string& name, const std::vector<std::string>& arguments) {
  ClipFolder& clips = Clips();
  std::lock_guard<std::mutex> lock(clips.mutex);
  if (auto found = clips.made.find(name); found != clips.made.end()) return found->second;
  const std::string path = clips.path + "/" + name;
  std::vector<std::string> argv = {"ffmpeg", "-hide_banner", "-nostdin", "-loglevel", "error",
                                   "-y"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  argv.push_back(path);
  const std::string made = RunQuietly(argv) ? path : std::string();
  clips.made[name] = made;
  return made;
}

std::string BarsClip() {
  return TestClip("bars.mp4", {"-f", "lavfi", "-i", "testsrc2=s=160x120:r=30:d=2", "-c:v",
                               "libx264", "-pix_fmt", "yuv420p", "-g", "15"});
}

}  // namespace zel::testing
