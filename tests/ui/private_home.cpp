#include "ui/private_home.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "support/gif_builder.h"

namespace zel::testing {

const std::string& PrivateHome() {
  static const std::string root = [] {
    std::string dir = MakeTempDir();
    for (const char* name : {"home", "config", "data", "run", "files"}) {
      std::filesystem::create_directories(dir + "/" + name);
    }
    ::chmod((dir + "/run").c_str(), 0700);
    setenv("HOME", (dir + "/home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (dir + "/data").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (dir + "/run").c_str(), 1);
    return dir;
  }();
  return root;
}

}  // namespace zel::testing
