// The GUI tests run the real windows on Qt's offscreen platform unless told otherwise, in
// Japanese, the program's own language, whatever the locale of the machine (the English
// tests switch for themselves).
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "platform/heap_tuning.h"
#include "resources/language.h"

int main(int argc, char** argv) {
  // The heap as the editor sets it up.
  zel::KeepPictureBlocksInHeap();
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  zel::SetCurrentLanguage(zel::Language::kJapanese);
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
