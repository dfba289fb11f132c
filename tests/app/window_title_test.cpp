#include "app/window_title.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

TEST(WindowTitle, FileNameMarkerAndProgramName) {
  struct Case {
    const char* path;
    bool unsaved;
    const char* title;
  } cases[] = {
      {"", false, "無題 - Zel"},
      {"", true, "無題* - Zel"},  // a pasted picture that was edited
      {"/home/u/Pictures/anime.gif", false, "anime.gif - Zel"},
      {"/home/u/Pictures/anime.gif", true, "anime.gif* - Zel"},
      {"/home/u/写真.d/猫.png", true, "猫.png* - Zel"},  // the folder's dot is no name
      {"relative.bmp", false, "relative.bmp - Zel"},
      {"/home/u/folder/", false, "無題 - Zel"},
  };
  for (const Case& c : cases) {
    DocumentState doc;
    doc.filePath = c.path;
    doc.savedRevision = c.unsaved ? doc.revision + 1 : doc.revision;
    EXPECT_EQ(MainWindowTitle(doc), c.title) << c.path << " " << c.unsaved;
  }
}

TEST(WindowTitle, AnimationFromSeveralFilesIsUntitledUntilSaved) {
  DocumentState doc;
  doc.filePath = "/home/u/Pictures/first.png";  // where its pictures came from
  doc.untitled = true;
  doc.savedRevision = doc.revision + 1;
  EXPECT_EQ(MainWindowTitle(doc), "無題 - zel");
  doc.untitled = false;
  EXPECT_EQ(MainWindowTitle(doc), "first.png* - Zel");
}

}  // namespace
}  // namespace zel
