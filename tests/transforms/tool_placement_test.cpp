#include "transforms/tool_placement.h"

#include <gtest/gtest.h>

namespace zel {
namespace {

TEST(ToolPlacement, BarAlongTheViewOrFullFormBelowThePicture) {
  const ToolRect screen{0, 0, 1024, 768};
  const ToolRect strip{0, 0, 300, 40};
  const ToolRect window{0, 0, 320, 80};
  const struct {
    const char* name;
    ToolRect view;
    int32_t pictureHeight;
    bool floats;
    FormPlacement placement;
    ToolRect rect;
  } cases[] = {
      {"strip", {10, 50, 600, 400}, 200, false, FormPlacement::kBar, {10, 410, 600, 40}},
      {"exact width", {0, 0, 300, 768}, 200, false, FormPlacement::kBar, {0, 728, 300, 40}},
      {"bar floats", {10, 50, 600, 400}, 200, true, FormPlacement::kFull, {14, 254, 320, 80}},
      {"view too narrow", {10, 50, 299, 400}, 100, false, FormPlacement::kFull, {14, 154, 320, 80}},
      {"below the screen",
       {10, 500, 600, 400},
       100,
       false,
       FormPlacement::kFull,
       {14, 604, 320, 80}},
      {"left of the screen",
       {-50, 50, 600, 400},
       100,
       false,
       FormPlacement::kFull,
       {0, 154, 320, 80}},
      {"pulled up", {10, 500, 600, 400}, 300, true, FormPlacement::kFull, {14, 688, 320, 80}},
      {"pulled left", {900, 50, 600, 400}, 100, false, FormPlacement::kFull, {704, 154, 320, 80}},
  };
  for (const auto& c : cases) {
    FormLayout layout = PlaceToolForm(c.view, screen, c.pictureHeight, strip, window, c.floats);
    EXPECT_EQ(layout.placement, c.placement) << c.name;
    EXPECT_EQ(layout.rect.x, c.rect.x) << c.name;
    EXPECT_EQ(layout.rect.y, c.rect.y) << c.name;
    EXPECT_EQ(layout.rect.width, c.rect.width) << c.name;
    EXPECT_EQ(layout.rect.height, c.rect.height) << c.name;
  }
}

}  // namespace
}  // namespace zel
