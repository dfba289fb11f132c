#include "transforms/tool_models.h"

#include <gtest/gtest.h>

#include "transforms/pick_rules.h"

namespace zel {
namespace {

// A 100 x 60 picture at (10, 20) on a 1000 x 800 screen; handles 9 x 9.
const HandleFrame kFrame{10, 20, 100, 60, 9, 9, 1000, 800};

// Every kind has exactly one family, and it is the one the kind is worked by.
TEST(ToolFamilies, EveryKindHasExactlyOneFamily) {
  for (int i = 0; i < kToolKindCount; ++i) {
    const auto kind = static_cast<ToolKind>(i);
    int rows = 0;
    for (const ToolFamilyRow& row : kToolFamilies) rows += row.kind == kind ? 1 : 0;
    EXPECT_EQ(rows, 1) << "kind " << i;
  }
  struct Case {
    ToolKind kind;
    ToolFamily family;
  } cases[] = {
      {ToolKind::kCorner, ToolFamily::kHandles},   {ToolKind::kEdge, ToolFamily::kHandles},
      {ToolKind::kStretch, ToolFamily::kHandles},  {ToolKind::kZoom, ToolFamily::kSliders},
      {ToolKind::kRotation, ToolFamily::kSliders}, {ToolKind::kFisheye, ToolFamily::kSliders},
      {ToolKind::kColor, ToolFamily::kSliders},    {ToolKind::kGamma, ToolFamily::kSliders},
  };
  static_assert(std::size(cases) == kToolKindCount);
  for (const Case& c : cases) EXPECT_EQ(FamilyOf(c.kind), c.family) << int(c.kind);
  EXPECT_EQ(FamilyOf(static_cast<ToolKind>(kToolKindCount)), std::nullopt);
}

TEST(Handles, PlacesAndBoundsFollowTheTable) {
  struct Case {
    int kind;
    PointI hotspot, initial;
    int32_t minX, maxX, minY, maxY;
  } cases[] = {
      // ex = 40, ey = 24; x1 = 110, y1 = 80, xm = 60, ym = 50.
      {1, {0, 0}, {0, 0}, -30, 50, -4, 44},     {2, {9, 0}, {99, 0}, 70, 150, -4, 44},
      {3, {0, 9}, {0, 59}, -30, 50, 56, 104},   {4, {9, 9}, {99, 59}, 70, 150, 56, 104},
      {5, {4, 0}, {50, 0}, 40, 80, -4, 44},     {6, {0, 4}, {0, 30}, -30, 50, 38, 62},
      {7, {4, 9}, {50, 59}, 40, 80, 56, 104},   {8, {9, 4}, {99, 30}, 70, 150, 38, 62},
      {9, {4, 4}, {50, 30}, -30, 150, -4, 104}, {10, {9, 4}, {99, 30}, 50, 1000, 32, 62},
      {11, {4, 9}, {50, 59}, 30, 80, 44, 800},
  };
  for (const Case& c : cases) {
    const HandlePlacement p = PlaceHandle(c.kind, kFrame);
    EXPECT_EQ(p.hotspot, c.hotspot) << c.kind;
    EXPECT_EQ(p.initial, c.initial) << c.kind;
    EXPECT_EQ(p.minX, c.minX) << c.kind;
    EXPECT_EQ(p.maxX, c.maxX) << c.kind;
    EXPECT_EQ(p.minY, c.minY) << c.kind;
    EXPECT_EQ(p.maxY, c.maxY) << c.kind;
  }
}

TEST(Handles, DragStopsAtTheBound) {
  const HandlePlacement corner = PlaceHandle(1, kFrame);
  EXPECT_EQ(DragHandle({10, 20}, -500, -500, corner), (PointI{-30, -4}));
  EXPECT_EQ(DragHandle({10, 20}, 500, 500, corner), (PointI{49, 43}));  // below the maximum
  EXPECT_EQ(DragHandle({10, 20}, 5, -3, corner), (PointI{15, 17}));
  // The widening handle reaches from 40 % of the width up to the screen's edge.
  const HandlePlacement widen = PlaceHandle(10, kFrame);
  EXPECT_EQ(DragHandle({109, 50}, -1000, 0, widen).x, 50);
  EXPECT_EQ(DragHandle({109, 50}, 5000, 0, widen).x, 999);
}

TEST(Handles, ReadoutsGiveWarpCornersAndSizes) {
  // Untouched handles give the untouched picture.
  const QuadCorners c = CornersFromCornerHandles({0, 0}, {99, 0}, {0, 59}, {99, 59});
  const QuadCorners u = UntouchedCorners(100, 60);
  EXPECT_EQ(c.topRight.x, u.topRight.x);
  EXPECT_EQ(c.bottomLeft.y, u.bottomLeft.y);
  EXPECT_EQ(c.bottomRight.x, u.bottomRight.x);
  EXPECT_EQ(c.bottomRight.y, u.bottomRight.y);
  const QuadCorners e = CornersFromEdgeHandles({50, 5}, {-3, 30}, {50, 70}, {80, 30});
  EXPECT_EQ(e.topLeft.x, -3);
  EXPECT_EQ(e.topLeft.y, 5);
  EXPECT_EQ(e.topRight.x, 81);
  EXPECT_EQ(e.bottomRight.y, 71);
  EXPECT_EQ(e.bottomLeft.x, -3);
  EXPECT_EQ(StretchSizeFromHandles({149, 30}, {50, 29}), (PointI{150, 30}));
  EXPECT_EQ(StretchSizeFromHandles({-9, 30}, {50, -9}), (PointI{1, 1}));
}

TEST(Sliders, ZoomSnapsAndSizes) {
  struct Snap {
    int in, out;
  } snaps[] = {{48, 50},   {52, 50},   {53, 53},   {99, 100},  {102, 100},
               {103, 103}, {198, 200}, {302, 300}, {297, 297}, {25, 25}};
  for (const Snap& s : snaps) EXPECT_EQ(SnapZoom(s.in), s.out) << s.in;
  EXPECT_EQ(ZoomedSize(100, 60, 25, 100), (PointI{25, 15}));  // "x 1/4"
  EXPECT_EQ(ZoomedSize(100, 60, 100, 50), (PointI{100, 30}));
  EXPECT_EQ(ZoomedSize(3, 3, 25, 50), (PointI{1, 1}));                   // never below 1
  EXPECT_EQ(ZoomedSize(2000000000, 2000000000, 400, 200).y, INT32_MAX);  // no overflow
  EXPECT_EQ(kZoomPresets[0].zoom, 25);
  EXPECT_STREQ(kZoomPresets[0].label, "x 1/4");
  EXPECT_EQ(ZoomMemoryLabel({150, 80}), "前回の設定　拡大率=150%, 縦横比=80%");
  EXPECT_EQ(LastZoom().zoom, 100);
  EXPECT_EQ(RotationTurn(90), -0.5);
  EXPECT_EQ(FisheyeStrength(-90), -0.5);
}

TEST(Sliders, AppliedValueDetectsChange) {
  AppliedValue<int> angle(0);
  EXPECT_FALSE(angle.Apply(0));
  EXPECT_TRUE(angle.Apply(5));
  EXPECT_FALSE(angle.Apply(5));
  EXPECT_EQ(angle.last(), 5);
}

TEST(ToolTexts, CommandsAndStatusTexts) {
  EXPECT_EQ(ToolOfCommand(32784), ToolKind::kRotation);
  EXPECT_EQ(ToolOfCommand(32796), ToolKind::kColor);
  EXPECT_FALSE(ToolOfCommand(32778));
  EXPECT_EQ(CommandOf(ToolKind::kGamma), 32796);
  EXPECT_STREQ(TextsOf(ToolKind::kZoom).instruction, "ｽﾞｰﾑ、ｽﾗｲﾀﾞｰを操作します");
  EXPECT_STREQ(TextsOf(ToolKind::kCorner).converting, "角変形、変換中!");
  EXPECT_STREQ(TextsOf(ToolKind::kFisheye).title, "ﾌｨｯｼｭｱｲ変形");
  EXPECT_STREQ(TextsOf(ToolKind::kGamma).instruction, "色調節(γ補正)、スライドバーを操作します");
  EXPECT_EQ(SizeText(25, 15), "25,15");
}

TEST(RectanglePick, TwoCornersOrderedAndGrownByOne) {
  RectanglePick pick(100, 60);
  EXPECT_EQ(pick.StartCursor({150, 10}), (PointI{0, 0}));
  EXPECT_EQ(pick.StartCursor({99, 60}), (PointI{99, 60}));
  EXPECT_STREQ(pick.StatusText(), Say(kPickFirstCornerText));
  EXPECT_FALSE(pick.Handle(PickInput::kMove, {120, -5}));
  EXPECT_EQ(pick.SizeText(), "99,0");  // held to 0..width - 1
  EXPECT_FALSE(pick.Handle(PickInput::kLeftUp, {50, 40}));
  EXPECT_TRUE(pick.secondCorner());
  EXPECT_STREQ(pick.StatusText(), Say(kPickSecondCornerText));
  EXPECT_EQ(pick.StatusIcon(), 137);
  // The rectangle starts 20 further (held to the picture); the cursor goes 20 beyond it.
  EXPECT_EQ(pick.secondCornerPoint(), (PointI{70, 60}));
  EXPECT_EQ(pick.warpCursor(), (PointI{90, 60}));
  EXPECT_EQ(pick.SizeText(), "21,21");
  // Dragged up and to the left of the first corner: ordered.
  EXPECT_EQ(pick.Handle(PickInput::kLeftUp, {10, 5}), kPickDone);
  const PictureRect r = pick.result();
  EXPECT_EQ(r.x1, 10);
  EXPECT_EQ(r.y1, 5);
  EXPECT_EQ(r.x2, 51);
  EXPECT_EQ(r.y2, 41);
}

TEST(RectanglePick, SamePixelTwiceIsOnePixelAndCancelsGiveTheirCodes) {
  RectanglePick pick(10, 10);
  pick.Handle(PickInput::kLeftUp, {3, 4});
  EXPECT_EQ(pick.Handle(PickInput::kLeftUp, {3, 4}), kPickDone);
  EXPECT_EQ(pick.result().x2 - pick.result().x1, 1);
  EXPECT_EQ(pick.result().y2 - pick.result().y1, 1);
  struct Case {
    PickInput input;
    int code;
  } cases[] = {{PickInput::kRightUp, kPickCancelled},
               {PickInput::kLeftDoubleClick, kPickDoubleClick},
               {PickInput::kQuit, kPickCancelled}};
  for (const Case& c : cases) {
    RectanglePick first(10, 10);
    EXPECT_EQ(first.Handle(c.input, {1, 1}), c.code);
    RectanglePick second(10, 10);
    second.Handle(PickInput::kLeftUp, {1, 1});
    EXPECT_EQ(second.Handle(c.input, {1, 1}), c.code);
    PointPick point(10, 10, {0, 0});
    EXPECT_EQ(point.Handle(c.input, {1, 1}), c.code);
  }
}

TEST(PointPick, HeldInsideTheArea) {
  PointPick pick(40, 30, {55, -2});
  EXPECT_EQ(pick.point(), (PointI{39, 0}));
  EXPECT_STREQ(pick.StatusText(), Say(kPickPointText));
  EXPECT_FALSE(pick.Handle(PickInput::kMove, {12, 50}));
  EXPECT_EQ(pick.SizeText(), "12,29");
  EXPECT_EQ(pick.Handle(PickInput::kLeftUp, {5, 6}), kPickDone);
  EXPECT_EQ(pick.point(), (PointI{5, 6}));
}

}  // namespace
}  // namespace zel

namespace zel {
namespace {

TEST(ToolForms, ColourFormFollowsTheOptionBit) {
  EXPECT_EQ(ColorFormOf(0x0F), ToolKind::kColor);
  EXPECT_EQ(ColorFormOf(0x10), ToolKind::kGamma);
  EXPECT_EQ(OptionsForColorForm(0x03, ToolKind::kGamma), 0x13u);
  EXPECT_EQ(OptionsForColorForm(0x13, ToolKind::kColor), 0x03u);
}

TEST(ToolForms, BarAlongTheViewElseTheFullFormOnScreen) {
  const ScreenRect view{100, 50, 600, 400};
  EXPECT_EQ(PlaceBarForm(view, 500, 40, 1280, 1024), (ScreenRect{100, 410, 600, 40}));
  EXPECT_FALSE(PlaceBarForm(view, 601, 40, 1280, 1024));  // view narrower than the form
  EXPECT_FALSE(PlaceBarForm({900, 50, 600, 400}, 500, 40, 1280, 1024));  // off the right side
  EXPECT_FALSE(PlaceBarForm({-10, 50, 600, 400}, 500, 40, 1280, 1024));
  EXPECT_EQ(PlaceFullForm(view, 120, 300, 200, 1280, 1024), (PointI{104, 174}));
  EXPECT_EQ(PlaceFullForm(view, 900, 300, 200, 1280, 1024), (PointI{104, 824}));
  EXPECT_EQ(PlaceFullForm({-50, -50, 10, 10}, 0, 300, 200, 1280, 1024), (PointI{0, 0}));
}

}  // namespace
}  // namespace zel
