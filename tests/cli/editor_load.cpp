#include "editor_load.h"

#include <gtest/gtest.h>

#include "document/frame_set.h"
#include "imagefiles/image_loader.h"

namespace zel::clitest {

std::unique_ptr<DocumentState> Load(const std::string& path) {
  auto doc = std::make_unique<DocumentState>();
  EXPECT_TRUE(CreateDocumentContainer(*doc, kFrameMaxHighest));
  LoadContext context;
  EXPECT_TRUE(LoadImageFile(*doc, path, LoadMode::kOpen, context).done()) << path;
  return doc;
}

}  // namespace zel::clitest
