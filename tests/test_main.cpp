// The main of the core, command-line and interop test binaries. Their tests check the
// program's own texts, which are Japanese, so they run in Japanese whatever the locale of the
// machine; a test that wants English sets it, and zel-cli runs in the locale its test gives.
#include <gtest/gtest.h>

#include "resources/language.h"

int main(int argc, char** argv) {
  zel::SetCurrentLanguage(zel::Language::kJapanese);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
