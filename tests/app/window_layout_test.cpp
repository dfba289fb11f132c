#include "app/window_layout.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace zel {
namespace {

TEST(WindowLayout, RecordsReadBackAndBadOnesReadAsEmpty) {
  ProfileFile file;
  WindowLayout layout;
  layout.geometry = {0x01, 0xD9, 0xD0, 0xCB, 0x00, 0xFF};
  layout.state = {0x00, 0x00, 0x00, 0xFF};
  StoreWindowLayout(layout, file);
  EXPECT_EQ(file.Get(kWindowSection, kWindowGeometryKey), "01D9D0CB00FF");
  ProfileFile reread;
  reread.Parse(file.Text());
  WindowLayout back = LoadWindowLayout(reread);
  EXPECT_EQ(back.geometry, layout.geometry);
  EXPECT_EQ(back.state, layout.state);

  // An empty record (nothing to say) keeps the stored one.
  StoreWindowLayout(WindowLayout{{0x42}, {}}, file);
  EXPECT_EQ(LoadWindowLayout(file).geometry, std::vector<uint8_t>{0x42});
  EXPECT_EQ(LoadWindowLayout(file).state, layout.state);

  for (const std::string& bad : {std::string("ABC"), std::string("0G"), std::string("zz"),
                                 std::string(2 * kMaxWindowRecord + 2, 'A')}) {
    ProfileFile hostile;
    hostile.Set(kWindowSection, kWindowGeometryKey, bad);
    EXPECT_TRUE(LoadWindowLayout(hostile).geometry.empty()) << bad.size();
  }
  ProfileFile largest;
  largest.Set(kWindowSection, kWindowStateKey, std::string(2 * kMaxWindowRecord, 'a'));
  EXPECT_EQ(LoadWindowLayout(largest).state.size(), kMaxWindowRecord);
}

TEST(WindowLayout, AWindowOffTheScreensComesBack) {
  const ScreenRect left{0, 0, 1920, 1050};  // primary, a panel below
  const ScreenRect right{1920, 0, 1280, 1024};
  struct Case {
    const char* name;
    ScreenRect window;
    ScreenRect placed;
  } cases[] = {
      {"inside", {100, 100, 800, 600}, {100, 100, 800, 600}},
      {"on the second screen", {2000, 50, 800, 600}, {2000, 50, 800, 600}},
      {"mostly off to the left, its grip still on", {-700, 10, 800, 600}, {-700, 10, 800, 600}},
      {"only 63 pixels of its grip on", {-737, 10, 800, 600}, {0, 10, 800, 600}},
      {"grip above the top", {300, -10, 800, 600}, {300, 0, 800, 600}},
      {"below the screens", {300, 1200, 800, 600}, {300, 450, 800, 600}},
      {"where a third screen was", {3500, 100, 800, 600}, {2400, 100, 800, 600}},
      {"far away", {INT_MAX - 10, INT_MIN + 10, 800, 600}, {2400, 0, 800, 600}},
      {"larger than the screen", {5000, 5000, 4000, 3000}, {1920, 0, 1280, 1024}},
      {"narrow, wholly on", {10, 10, 30, 20}, {10, 10, 30, 20}},
      {"no size", {-50, -50, 0, 0}, {0, 0, 1, 1}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KeepOnScreen(c.window, {left, right}), c.placed) << c.name;
  }
  EXPECT_EQ(KeepOnScreen({-5000, 0, 10, 10}, {}), (ScreenRect{-5000, 0, 10, 10}));
}

}  // namespace
}  // namespace zel
