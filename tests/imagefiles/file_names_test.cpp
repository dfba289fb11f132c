#include "imagefiles/file_names.h"
#include "imagefiles/image_loader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "support/gif_builder.h"

namespace zel {
namespace {

TEST(FileNames, ExtensionRules) {
  struct Case {
    const char* path;
    const char* ext;
    const char* replaced;  // ReplaceExtension
    const char* forced;    // ForceExtension
  } cases[] = {
      {"/p/a.gif", "bmp", "/p/a.bmp", "/p/a.bmp"},
      {"/p/a.bmp", "bmp", "/p/a.bmp", "/p/a.bmp"},
      {"/p/a.BMP", "bmp", "/p/a.bmp", "/p/a.bmp"},  // compared byte for byte
      {"/p/a.tar.gz", "ico", "/p/a.tar.ico", "/p/a.tar.ico"},
      {"/p/a", "jpg", "/p/a.jpg", "/p/a.jpg"},
      {"/p/a.", "jpg", "/p/a.jpg", "/p/a.jpg"},
      {"/p.d/a", "gif", "/p.d/a.gif", "/p.d/a.gif"},  // a dot in a folder name is no extension
      {"a.gif", "bmpf", "a.bmpf", "a.bmpf"},
      {"/p/無題.gif", "jpg", "/p/無題.jpg", "/p/無題.jpg"},
      {"", "gif", "", ".gif"},
      {"/p/", "gif", "/p/", "/p/.gif"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReplaceExtension(c.path, c.ext), c.replaced) << c.path;
    EXPECT_EQ(ForceExtension(c.path, c.ext), c.forced) << c.path;
  }
}

TEST(FileNames, LoaderLetter) {
  struct Case {
    const char* path;
    char letter;
  } cases[] = {
      {"/p/a.GIF", 'g'}, {"/p/a.bmpf", 'b'}, {"/p/a.jpeg", 'j'}, {"a.Png", 'p'}, {"/p/a.tif", 't'},
      {"/p/a", 0},       {"/p.d/a", 0},      {"/p/a.", 0},       {"/p/a.b/", 0}, {"", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(LoaderLetter(c.path), c.letter) << c.path;
}

// The extension is the file name's: a dot in a folder, a trailing dot or a dot-file are
// the cases the merge dialog and zel-cli's format choice get wrong when they look at the
// whole path.
TEST(FileNames, ExtensionOfTheFileName) {
  struct Case {
    const char* path;
    const char* extension;
    bool hasDot;
    bool isGif;  // HasExtensionIgnoringCase(path, "gif")
  } cases[] = {
      {"/p/a.gif", "gif", true, true},
      {"/p/a.GiF", "GiF", true, true},
      {"/p/a.tar.gif", "gif", true, true},
      {"/p/a.gifs", "gifs", true, false},
      {"/p/agif", "", false, false},
      {"/p.gif/a", "", false, false},  // the folder's extension is not the file's
      {"/p.d/a.bmp", "bmp", true, false},
      {"/p/a.", "", true, false},
      {"/p/.gif", "gif", true, true},
      {"a.gif", "gif", true, true},
      {"/p/", "", false, false},
      {"", "", false, false},
      {"/p/写真.ＧＩＦ", "ＧＩＦ", true, false},  // only ASCII letters change case
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FileExtension(c.path), c.extension) << c.path;
    EXPECT_EQ(HasFileExtension(c.path), c.hasDot) << c.path;
    EXPECT_EQ(HasExtensionIgnoringCase(c.path, "gif"), c.isGif) << c.path;
  }
}

// Every name the open command lists is one the loader reads, in either case.
TEST(FileNames, OpenDialogPatternsListBothCasesOfEveryReadableExtension) {
  EXPECT_EQ(OpenDialogPatterns(kOpenImageExtensions),
            "*.jpg;*.JPG;*.jpeg;*.JPEG;*.jpe;*.JPE;*.bmp;*.BMP;*.gif;*.GIF;*.png;*.PNG;*.webp;*.WEBP");
  EXPECT_EQ(OpenDialogPatterns(kPaletteReferenceExtensions), "*.gif;*.GIF;*.bmp;*.BMP;*.png;*.PNG");
  for (const char* ext : kOpenImageExtensions) {
    EXPECT_NE(ReaderLetter(std::string("/p/a.") + ext), 0) << ext;
    EXPECT_NE(ReaderLetter(std::string("/p/A.") + ext), 0) << ext;
  }
}

TEST(FileNames, DialogInitialPaths) {
  struct Case {
    const char* path;
    const char* pictures;
    const char* open;
    const char* save;  // extension "gif"
  } cases[] = {
      {"", "/home/u/Pictures", "/home/u/Pictures/無題", "/home/u/Pictures/無題.gif"},
      {"", "/home/u/Pictures/", "/home/u/Pictures/無題", "/home/u/Pictures/無題.gif"},
      {"/tmp/", "/home/u", "/tmp/無題", "/tmp/無題.gif"},
      {"/tmp/a.bmp", "/home/u", "/tmp/a.bmp", "/tmp/a.bmp"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(OpenDialogInitialPath(c.path, c.pictures), c.open) << c.path;
    EXPECT_EQ(SaveDialogInitialPath(c.path, "gif", c.pictures), c.save) << c.path;
  }
}

TEST(FileNames, CheckOutputFileName) {
  std::string dir = testing::MakeTempDir();
  std::ofstream(dir + "/old.bmp") << "x";
  std::filesystem::create_directory(dir + "/sub");
  struct Case {
    std::string path;
    int result;
  } cases[] = {
      {"", kOutputNameInvalid},
      {"relative.bmp", kOutputNameInvalid},
      {"/", kOutputNameInvalid},  // the root folder itself
      {dir + "/", kOutputNameInvalid},
      {dir + "/missing/new.bmp", kOutputNameInvalid},
      {dir + "/old.bmp/new.bmp", kOutputNameInvalid},  // the folder part is a file
      {dir + "/sub", kOutputNameInvalid},              // names a folder
      {dir + "/old.bmp", kOutputNameExists},
      {dir + "/new.bmp", kOutputNameCreatable},
      {dir + "/sub/新しい.bmp", kOutputNameCreatable},
  };
  for (const Case& c : cases) EXPECT_EQ(CheckOutputFileName(c.path), c.result) << c.path;
  // The trial file is gone again.
  EXPECT_FALSE(std::filesystem::exists(dir + "/new.bmp"));
  EXPECT_FALSE(std::filesystem::exists(dir + "/sub/新しい.bmp"));

  std::filesystem::remove_all(dir);
}

TEST(FileNames, CheckOutputFileNameInReadOnlyFolder) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders anyway";
  std::string dir = testing::MakeTempDir();
  ::chmod(dir.c_str(), 0555);
  EXPECT_EQ(CheckOutputFileName(dir + "/new.bmp"), kOutputNameNotCreatable);
  ::chmod(dir.c_str(), 0755);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace zel
