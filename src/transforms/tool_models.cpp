#include "transforms/tool_models.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "resources/words.h"
#include "transforms/tool_placement.h"

namespace zel {

namespace {

const ToolTexts kJapaneseTexts[] = {
    {"角変形、ﾂﾏﾐをﾄﾞﾗｯｸﾞします", "角変形、描画中!", "角変形、", "角変形、変換中!", "角変形"},
    {"辺変形、ﾂﾏﾐをﾄﾞﾗｯｸﾞします", "辺変形、描画中!", "辺変形、", "辺変形、変換中!", "辺変形"},
    {"伸張、ﾂﾏﾐをﾄﾞﾗｯｸﾞします", "伸張、描画中!", "伸張、", "伸張、変換中!", "伸張"},
    {"ｽﾞｰﾑ、ｽﾗｲﾀﾞｰを操作します", "ｽﾞｰﾑ、描画中!", "ｽﾞｰﾑ、", "ｽﾞｰﾑ、変換中!", "拡大縮小"},
    {"回転、ｽﾗｲﾄﾞﾊﾞｰを操作します", "回転、描画中!", "回転、", "回転、変換中!", "回転"},
    {"魚眼変形、ｽﾗｲﾄﾞﾊﾞｰを操作します", "魚眼変形、描画中!", "魚眼変形、", "魚眼変形、変換中!",
     "ﾌｨｯｼｭｱｲ変形"},
    {"色調節、スライドバーを操作します", "", "", "", "色調節"},
    {"色調節(γ補正)、スライドバーを操作します", "", "", "", "色調節(γ補正)"},
};

const ToolTexts kEnglishTexts[] = {
    {"Corner warp: drag the handles", "Corner warp: drawing!",
     "Corner warp: ", "Corner warp: converting!", "Corner warp"},
    {"Edge warp: drag the handles", "Edge warp: drawing!", "Edge warp: ", "Edge warp: converting!",
     "Edge warp"},
    {"Stretch: drag the handles", "Stretch: drawing!", "Stretch: ", "Stretch: converting!",
     "Stretch"},
    {"Zoom: move the sliders", "Zoom: drawing!", "Zoom: ", "Zoom: converting!", "Zoom"},
    {"Rotation: move the slider", "Rotation: drawing!", "Rotation: ", "Rotation: converting!",
     "Rotation"},
    {"Fisheye: move the slider", "Fisheye: drawing!", "Fisheye: ", "Fisheye: converting!",
     "Fisheye"},
    {"Colour adjustment: move the sliders", "", "", "", "Colour adjustment"},
    {"Colour adjustment (gamma): move the sliders", "", "", "", "Colour adjustment (gamma)"},
};

constexpr int32_t kCommands[] = {32791, 32790, 32792, 32793, 32784, 32789, 32796, 32796};

}  // namespace

const ToolFamilyRow kToolFamilies[kToolKindCount] = {
    {ToolKind::kCorner, ToolFamily::kHandles},   {ToolKind::kEdge, ToolFamily::kHandles},
    {ToolKind::kStretch, ToolFamily::kHandles},  {ToolKind::kZoom, ToolFamily::kSliders},
    {ToolKind::kRotation, ToolFamily::kSliders}, {ToolKind::kFisheye, ToolFamily::kSliders},
    {ToolKind::kColor, ToolFamily::kSliders},    {ToolKind::kGamma, ToolFamily::kSliders},
};

std::optional<ToolFamily> FamilyOf(ToolKind tool) {
  for (const ToolFamilyRow& row : kToolFamilies) {
    if (row.kind == tool) return row.family;
  }
  return std::nullopt;
}

const ToolTexts& TextsOf(ToolKind tool) {
  const ToolTexts* texts =
      CurrentLanguage() == Language::kJapanese ? kJapaneseTexts : kEnglishTexts;
  return texts[static_cast<int>(tool)];
}

int32_t CommandOf(ToolKind tool) {
  return kCommands[static_cast<int>(tool)];
}

std::optional<ToolKind> ToolOfCommand(int32_t command) {
  for (int i = 0; i < 7; ++i) {
    if (kCommands[i] == command) return static_cast<ToolKind>(i);
  }
  return std::nullopt;
}

ToolKind ColorFormOf(uint32_t options) {
  return (options & kOptionGammaForm) != 0 ? ToolKind::kGamma : ToolKind::kColor;
}

uint32_t OptionsForColorForm(uint32_t options, ToolKind form) {
  return form == ToolKind::kGamma ? options | kOptionGammaForm : options & ~kOptionGammaForm;
}

std::optional<ScreenRect> PlaceBarForm(const ScreenRect& view, int32_t formWidth,
                                       int32_t formHeight, int32_t screenWidth,
                                       int32_t screenHeight) {
  const FormLayout layout =
      PlaceToolForm({view.x, view.y, view.width, view.height}, {0, 0, screenWidth, screenHeight}, 0,
                    {0, 0, formWidth, formHeight}, {}, false);
  if (layout.placement != FormPlacement::kBar) return std::nullopt;
  return ScreenRect{layout.rect.x, layout.rect.y, layout.rect.width, layout.rect.height};
}

PointI PlaceFullForm(const ScreenRect& view, int32_t pictureHeight, int32_t formWidth,
                     int32_t formHeight, int32_t screenWidth, int32_t screenHeight) {
  const FormLayout layout =
      PlaceToolForm({view.x, view.y, view.width, view.height}, {0, 0, screenWidth, screenHeight},
                    pictureHeight, {}, {0, 0, formWidth, formHeight}, true);
  return {layout.rect.x, layout.rect.y};
}

HandlePlacement PlaceHandle(int kind, const HandleFrame& f) {
  const int32_t x0 = f.x0, y0 = f.y0;
  const int32_t x1 = x0 + f.width, y1 = y0 + f.height;
  const int32_t xm = x0 + f.width / 2, ym = y0 + f.height / 2;
  const int32_t ex = static_cast<int32_t>(int64_t{40} * f.width / 100);
  const int32_t ey = static_cast<int32_t>(int64_t{40} * f.height / 100);
  const int32_t hw = f.handleWidth, hh = f.handleHeight;
  const int32_t w1 = f.width - 1, h1 = f.height - 1;
  HandlePlacement p;
  auto set = [&p](PointI hot, PointI initial, int32_t minX, int32_t maxX, int32_t minY,
                  int32_t maxY) {
    p.hotspot = hot;
    p.initial = initial;
    p.minX = minX;
    p.maxX = maxX;
    p.minY = minY;
    p.maxY = maxY;
  };
  switch (kind) {
    case 1:
      set({0, 0}, {0, 0}, x0 - ex, x0 + ex, y0 - ey, y0 + ey);
      break;
    case 2:
      set({hw, 0}, {w1, 0}, x1 - ex, x1 + ex, y0 - ey, y0 + ey);
      break;
    case 3:
      set({0, hh}, {0, h1}, x0 - ex, x0 + ex, y1 - ey, y1 + ey);
      break;
    case 4:
      set({hw, hh}, {w1, h1}, x1 - ex, x1 + ex, y1 - ey, y1 + ey);
      break;
    case 5:
      set({hw / 2, 0}, {f.width / 2, 0}, xm - ex / 2, xm + ex / 2, y0 - ey, y0 + ey);
      break;
    case 6:
      set({0, hh / 2}, {0, f.height / 2}, x0 - ex, x0 + ex, ym - ey / 2, ym + ey / 2);
      break;
    case 7:
      set({hw / 2, hh}, {f.width / 2, h1}, xm - ex / 2, xm + ex / 2, y1 - ey, y1 + ey);
      break;
    case 8:
      set({hw, hh / 2}, {w1, f.height / 2}, x1 - ex, x1 + ex, ym - ey / 2, ym + ey / 2);
      break;
    case 9:
      set({hw / 2, hh / 2}, {f.width / 2, f.height / 2}, x0 - ex, x1 + ex, y0 - ey, y1 + ey);
      break;
    case 10:
      set({hw, hh / 2}, {w1, f.height / 2}, x0 + ex, f.screenWidth, y0 + ey / 2, ym + ey / 2);
      break;
    case 11:
      set({hw / 2, hh}, {f.width / 2, h1}, x0 + ex / 2, xm + ex / 2, y0 + ey, f.screenHeight);
      break;
    default:
      break;
  }
  return p;
}

PointI DragHandle(PointI hotspot, int32_t dx, int32_t dy, const HandlePlacement& p) {
  // Raised up to the minimum, then lowered below the (exclusive) maximum.
  auto hold = [](int64_t v, int32_t lo, int32_t hi) {
    if (v < lo) v = lo;
    if (v >= hi) v = int64_t{hi} - 1;
    return static_cast<int32_t>(v);
  };
  return {hold(int64_t{hotspot.x} + dx, p.minX, p.maxX),
          hold(int64_t{hotspot.y} + dy, p.minY, p.maxY)};
}

QuadCorners CornersFromCornerHandles(PointI topLeft, PointI topRight, PointI bottomLeft,
                                     PointI bottomRight) {
  return {{double(topLeft.x), double(topLeft.y)},
          {double(topRight.x) + 1, double(topRight.y)},
          {double(bottomLeft.x), double(bottomLeft.y) + 1},
          {double(bottomRight.x) + 1, double(bottomRight.y) + 1}};
}

QuadCorners CornersFromEdgeHandles(PointI top, PointI left, PointI bottom, PointI right) {
  const double t = top.y, l = left.x, b = double(bottom.y) + 1, r = double(right.x) + 1;
  return {{l, t}, {r, t}, {l, b}, {r, b}};
}

PointI StretchSizeFromHandles(PointI widening, PointI heightening) {
  return {std::max(widening.x + 1, 1), std::max(heightening.y + 1, 1)};
}

int SnapZoom(int position) {
  for (int target : {50, 100, 200, 300}) {
    if (position >= target - 2 && position <= target + 2) return target;
  }
  return position;
}

PointI ZoomedSize(int32_t width, int32_t height, int zoom, int aspect) {
  constexpr int64_t kLargest = INT32_MAX;
  const int64_t w = int64_t{width} * zoom / 100;
  const int64_t h = int64_t{height} * aspect * zoom / 10000;
  return {static_cast<int32_t>(std::clamp<int64_t>(w, 1, kLargest)),
          static_cast<int32_t>(std::clamp<int64_t>(h, 1, kLargest))};
}

ZoomMemory& LastZoom() {
  static ZoomMemory memory;
  return memory;
}

std::string ZoomMemoryLabel(const ZoomMemory& memory) {
  char text[96];
  std::snprintf(
      text, sizeof text,
      Say({"前回の設定　拡大率=%d%%, 縦横比=%d%%", "Last setting: zoom=%d%%, aspect=%d%%"}),
      memory.zoom, memory.aspect);
  return text;
}

double RotationTurn(int angle) {
  return -angle / 180.0;
}

double FisheyeStrength(int strength) {
  return strength / 180.0;
}

std::string SizeText(int32_t width, int32_t height) {
  return std::to_string(width) + "," + std::to_string(height);
}

}  // namespace zel
