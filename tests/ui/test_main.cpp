// The GUI tests run the real windows on Qt's offscreen platform unless told otherwise, and
// read the core's texts in Japanese, the program's own language, whatever the locale.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "resources/language.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  zel::SetCurrentLanguage(zel::Language::kJapanese);
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
