#include "platform/folders.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "support/gif_builder.h"

namespace zel {
namespace {

// Sets the environment variables of a test and puts the old values back afterwards.
class Environment {
 public:
  void Set(const char* name, const char* value) {
    if (!saved_.count(name)) {
      const char* old = std::getenv(name);
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~Environment() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

class Folders : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = testing::MakeTempDir();
    home_ = root_ + "/home";
    std::filesystem::create_directory(home_);
    env_.Set("HOME", home_.c_str());
    env_.Set("XDG_CONFIG_HOME", nullptr);
    env_.Set("XDG_DATA_HOME", nullptr);
  }
  void TearDown() override { std::filesystem::remove_all(root_); }
  void WriteUserDirs(const std::string& folder, const std::string& text) {
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/user-dirs.dirs") << text;
  }

  Environment env_;
  std::string root_;
  std::string home_;
};

TEST_F(Folders, HomeFromTheEnvironment) {
  EXPECT_EQ(HomeFolder(), home_);
  env_.Set("HOME", (home_ + "/").c_str());
  EXPECT_EQ(HomeFolder(), home_);
  env_.Set("HOME", nullptr);
  EXPECT_FALSE(HomeFolder().empty());  // from the account
}

TEST_F(Folders, PicturesFolder) {
  EXPECT_EQ(PicturesFolder(), home_);  // nothing configured, no ~/Pictures
  std::filesystem::create_directory(home_ + "/Pictures");
  EXPECT_EQ(PicturesFolder(), home_ + "/Pictures");

  std::filesystem::create_directories(home_ + "/Bilder mit \"x\"");
  WriteUserDirs(home_ + "/.config",
                "# comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                "XDG_PICTURES_DIR=\"$HOME/Bilder mit \\\"x\\\"\"\n");
  EXPECT_EQ(PicturesFolder(), home_ + "/Bilder mit \"x\"");

  // An absolute value in the file of $XDG_CONFIG_HOME.
  std::string config = root_ + "/config";
  std::filesystem::create_directories(root_ + "/photos");
  WriteUserDirs(config, "XDG_PICTURES_DIR=\"" + root_ + "/photos\"\n");
  env_.Set("XDG_CONFIG_HOME", config.c_str());
  EXPECT_EQ(PicturesFolder(), root_ + "/photos");

  // A configured folder that does not exist, or a malformed line, falls back to ~/Pictures.
  for (const char* text : {"XDG_PICTURES_DIR=\"$HOME/Gone\"\n", "XDG_PICTURES_DIR=\"rel/x\"\n",
                           "XDG_PICTURES_DIR=\"$HOME/Bilder\n"}) {
    WriteUserDirs(config, text);
    EXPECT_EQ(PicturesFolder(), home_ + "/Pictures") << text;
  }
}

TEST_F(Folders, SettingsAndMotionFolders) {
  EXPECT_EQ(SettingsFolder(false), home_ + "/.config/Qx/");
  EXPECT_FALSE(std::filesystem::exists(home_ + "/.config/Qx"));
  EXPECT_EQ(SettingsFolder(true), home_ + "/.config/Qx/");
  EXPECT_TRUE(std::filesystem::is_directory(home_ + "/.config/Qx"));
  EXPECT_EQ(MotionDataFolder(), home_ + "/.local/share/Qx/zel/");

  env_.Set("XDG_CONFIG_HOME", (root_ + "/cfg/").c_str());
  env_.Set("XDG_DATA_HOME", (root_ + "/data").c_str());
  EXPECT_EQ(SettingsFolder(true), root_ + "/cfg/Qx/");
  EXPECT_TRUE(std::filesystem::is_directory(root_ + "/cfg/Qx"));
  EXPECT_EQ(MotionDataFolder(), root_ + "/data/Qx/zel/");

  env_.Set("XDG_CONFIG_HOME", "relative");  // ignored: only absolute paths count
  EXPECT_EQ(SettingsFolder(false), home_ + "/.config/Qx/");
}

TEST_F(Folders, FileModificationTime) {
  std::string file = root_ + "/f";
  std::ofstream(file) << "x";
  std::filesystem::last_write_time(file,
                                   std::filesystem::file_time_type::clock::from_sys(
                                       std::chrono::sys_seconds(std::chrono::seconds(1700000000))));
  EXPECT_EQ(FileModificationTime(file), 1700000000);
  EXPECT_EQ(FileModificationTime(root_ + "/missing"), 0);
  EXPECT_EQ(FileModificationTime(""), 0);
}

}  // namespace
}  // namespace zel
