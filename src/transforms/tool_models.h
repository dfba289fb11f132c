// What the seven deformation and colour tools decide without a window: their texts, the
// handles' places and drag bounds, the readouts of the handles, slider ranges and snapping,
// the zoom size and its remembered values, and change detection. The editor's tool windows
// only draw these and forward input.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "transforms/deformations.h"

namespace zel {

enum class ToolKind { kCorner, kEdge, kStretch, kZoom, kRotation, kFisheye, kColor, kGamma };
// The kinds above, numbered 0 to kToolKindCount - 1.
inline constexpr int kToolKindCount = 8;

// How a tool is worked: by handles dragged over the picture (corner, edge, stretch), or by
// the sliders of its form (zoom, rotation, fisheye and the colour tool's two forms).
enum class ToolFamily { kHandles, kSliders };
struct ToolFamilyRow {
  ToolKind kind;
  ToolFamily family;
};
// One row for every kind; the editor makes a tool by its family.
extern const ToolFamilyRow kToolFamilies[kToolKindCount];
// The family of a kind; nullopt for a value outside the enumeration.
std::optional<ToolFamily> FamilyOf(ToolKind tool);

// Status-bar part 0 while the tool runs; the colour tools show only their instruction.
struct ToolTexts {
  const char* instruction;
  const char* busy;
  const char* idle;
  const char* converting;
  const char* title;  // the full form's title
};
const ToolTexts& TextsOf(ToolKind tool);

// The command that opens a tool (the gamma form belongs to the colour command 32796).
int32_t CommandOf(ToolKind tool);
std::optional<ToolKind> ToolOfCommand(int32_t command);

// How a tool form closes.
enum class ToolExit : int { kOk = 0, kCancel = -1, kFullForm = 2, kOtherForm = 3 };

// ---- Handles ----

struct PointI {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const PointI&, const PointI&) = default;
};

// Bit 0x10 of the settings' options: the colour tool opens in its gamma form.
constexpr uint32_t kOptionGammaForm = 0x10;
ToolKind ColorFormOf(uint32_t options);
// The options after the form button switched to `form` (kColor or kGamma).
uint32_t OptionsForColorForm(uint32_t options, ToolKind form);

// Where a tool form goes, in screen coordinates.
struct ScreenRect {
  int32_t x = 0, y = 0, width = 0, height = 0;
  friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};
// The bar form along the bottom of the view, as wide as the view; nullopt when it does not
// fit (it would leave the screen at a side or the bottom, or the view is narrower than the
// form's own width): the full form opens instead.
std::optional<ScreenRect> PlaceBarForm(const ScreenRect& view, int32_t formWidth,
                                       int32_t formHeight, int32_t screenWidth,
                                       int32_t screenHeight);
// The full form 4 pixels right of the view's left and 4 below the picture, moved back so
// that it lies on the screen and not left of or above 0.
PointI PlaceFullForm(const ScreenRect& view, int32_t pictureHeight, int32_t formWidth,
                     int32_t formHeight, int32_t screenWidth, int32_t screenHeight);

// The picture on screen and the handle window's size.
struct HandleFrame {
  int32_t x0 = 0, y0 = 0;         // screen position of the picture's top-left pixel
  int32_t width = 0, height = 0;  // picture size
  int32_t handleWidth = 0, handleHeight = 0;
  int32_t screenWidth = 0, screenHeight = 0;
};

struct HandlePlacement {
  PointI hotspot;                                  // inside the handle window
  PointI initial;                                  // image coordinates of the hotspot at opening
  int32_t minX = 0, minY = 0, maxX = 0, maxY = 0;  // screen; the maxima are exclusive
};

// Handle kinds 1..11: corners 1-4 (top-left, top-right, bottom-left, bottom-right), edge
// middles 5-8 (top, left, bottom, right), centre 9, widening 10, heightening 11. Each may
// move 40 % of the picture's width or height from its place (half that along an edge).
HandlePlacement PlaceHandle(int kind, const HandleFrame& frame);

// The hotspot's screen position after a drag by (dx, dy), held inside the bounds.
PointI DragHandle(PointI hotspot, int32_t dx, int32_t dy, const HandlePlacement& placement);

// The warp corners read from the corner handles 1-4 and from the edge handles 5-8 (hotspots
// in image coordinates), and the new size read from handles 10 and 11 (at least 1 x 1).
QuadCorners CornersFromCornerHandles(PointI topLeft, PointI topRight, PointI bottomLeft,
                                     PointI bottomRight);
QuadCorners CornersFromEdgeHandles(PointI top, PointI left, PointI bottom, PointI right);
PointI StretchSizeFromHandles(PointI widening, PointI heightening);

// ---- Sliders ----

struct SliderRange {
  int minimum, maximum, start;
};
constexpr SliderRange kZoomRange{25, 400, 100};
constexpr SliderRange kAspectRange{50, 200, 100};
constexpr SliderRange kRotationRange{-90, 90, 0};
constexpr SliderRange kFisheyeRange{-90, 90, 0};
constexpr SliderRange kColorRange{-15, 15, 0};

// Zoom positions near 50, 100, 200 and 300 (within 2) snap to them.
int SnapZoom(int position);

// The zoomed size: width x zoom / 100, height x aspect x zoom / 10000, truncated in 64-bit
// arithmetic, never below 1.
PointI ZoomedSize(int32_t width, int32_t height, int zoom, int aspect);

// The zoom and aspect last applied, kept for the whole run and offered in the context menu.
struct ZoomMemory {
  int zoom = 100;
  int aspect = 100;
};
ZoomMemory& LastZoom();
// "前回の設定　拡大率=%d%%, 縦横比=%d%%"
std::string ZoomMemoryLabel(const ZoomMemory& memory);

// The context menu's presets: "x 1/4", "x 1/2", "x 2", "x 4".
struct ZoomPreset {
  const char* label;
  int zoom;
};
constexpr ZoomPreset kZoomPresets[4] = {{"x 1/4", 25}, {"x 1/2", 50}, {"x 2", 200}, {"x 4", 400}};

// What the sliders hand to the mappings: a positive angle turns clockwise on screen.
double RotationTurn(int angle);
double FisheyeStrength(int strength);

// "%d,%d": the size shown in status part 3.
std::string SizeText(int32_t width, int32_t height);

// An input kept with its last applied value: Apply tells whether it changed.
template <typename T>
class AppliedValue {
 public:
  explicit AppliedValue(T start) : last_(start) {}
  bool Apply(const T& value) {
    if (value == last_) return false;
    last_ = value;
    return true;
  }
  const T& last() const { return last_; }

 private:
  T last_;
};

}  // namespace zel
