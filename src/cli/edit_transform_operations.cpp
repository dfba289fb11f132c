// The image menu's transforms as edit operations: the deformations with the full-quality
// mappings the editor's tools apply at OK, and the one-step commands. Each works on the
// picture, or on every frame of an animation, exactly as the editor does.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_common.h"
#include "cli/edit_operations.h"
#include "platform/clock.h"
#include "resources/string_table.h"
#include "transforms/deformations.h"
#include "transforms/image_commands.h"
#include "transforms/tool_models.h"

namespace zel::cli {

std::optional<std::vector<double>> ParseNumberList(const std::string& text, size_t count,
                                                   size_t most, char separator) {
  std::vector<double> values;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(separator, start);
    const std::string part = text.substr(start, end == std::string::npos ? end : end - start);
    if (part.empty() || part.size() > 16) return std::nullopt;
    size_t digits = 0;
    for (size_t i = 0; i < part.size(); ++i) {
      const char c = part[i];
      if (c >= '0' && c <= '9') {
        ++digits;
      } else if (!((c == '-' || c == '+') && i == 0) && c != '.') {
        return std::nullopt;
      }
    }
    if (digits == 0 || part.find('.') != part.rfind('.')) return std::nullopt;
    errno = 0;
    const double value = std::strtod(part.c_str(), nullptr);
    if (errno != 0 || !std::isfinite(value)) return std::nullopt;
    values.push_back(value);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  if (values.size() < count || values.size() > most) return std::nullopt;
  return values;
}

namespace {

std::optional<std::vector<double>> Numbers(const std::string& text, size_t count, size_t most,
                                           char separator = ',') {
  return ParseNumberList(text, count, most, separator);
}

bool IsWhole(double value) {
  return value == std::floor(value);
}

// A whole number in [low, high].
bool WholeIn(double value, double low, double high) {
  return IsWhole(value) && value >= low && value <= high;
}

// Pixel coordinates of the warp corners stay within a generous frame around any picture.
constexpr double kCoordinateLimit = 1000000;

bool ParseAngle(const std::string& text, EditStep* step) {
  auto v = Numbers(text, 1, 1);
  if (!v || !WholeIn((*v)[0], kRotationRange.minimum, kRotationRange.maximum)) return false;
  step->value = static_cast<int64_t>((*v)[0]);
  return true;
}

bool ParseStrength(const std::string& text, EditStep* step) {
  auto v = Numbers(text, 1, 1);
  if (!v || !WholeIn((*v)[0], kFisheyeRange.minimum, kFisheyeRange.maximum)) return false;
  step->value = static_cast<int64_t>((*v)[0]);
  return true;
}

bool ParseCoordinates(const std::string& text, size_t count, EditStep* step) {
  auto v = Numbers(text, count, count);
  if (!v) return false;
  for (double x : *v) {
    if (std::fabs(x) > kCoordinateLimit) return false;
  }
  step->text = text;
  return true;
}

bool ParseCorners(const std::string& text, EditStep* step) {
  return ParseCoordinates(text, 8, step);
}

bool ParseEdges(const std::string& text, EditStep* step) {
  return ParseCoordinates(text, 4, step);
}

bool ParseSize(const std::string& text, EditStep* step) {
  auto v = Numbers(text, 2, 2, 'x');
  if (!v || !WholeIn((*v)[0], 1, 65535) || !WholeIn((*v)[1], 1, 65535)) return false;
  step->text = text;
  return true;
}

bool ParseZoom(const std::string& text, EditStep* step) {
  auto v = Numbers(text, 1, 2);
  if (!v || !WholeIn((*v)[0], kZoomRange.minimum, kZoomRange.maximum)) return false;
  if (v->size() == 2 && !WholeIn((*v)[1], kAspectRange.minimum, kAspectRange.maximum)) {
    return false;
  }
  step->text = text;
  return true;
}

bool ParseCrop(const std::string& text, EditStep* step) {
  auto v = Numbers(text, 4, 4);
  if (!v) return false;
  for (int i = 0; i < 4; ++i) {
    if (!WholeIn((*v)[i], i < 2 ? 0 : 1, 65535)) return false;
  }
  step->text = text;
  return true;
}

// The picture or every frame; reports a document the transforms cannot work on.
bool RequireTransformable(EditRun& run, const EditStep& step) {
  if (CanTransformImage(run.doc)) return true;
  PrintError(run.err, step.label + ": " + run.source + " has no picture to transform");
  return false;
}

int Result(EditRun& run, const EditStep& step, const Outcome& result, const std::string& failure) {
  return OutcomeExit(run.err, step.label, result, failure);
}

// A full-quality transform of the picture or of every frame, as a tool's OK applies it.
int Transform(EditRun& run, const EditStep& step, const FrameTransform& transform,
              const std::string& failure) {
  if (!RequireTransformable(run, step)) return kExitUsage;
  return Result(run, step,
                ApplyToImageOrFrames(run.doc, transform, kUndoTransform, TickCount(), {}), failure);
}

const char kDepthFailure[] = "the picture must have 8 or 24 bits per pixel";

int RotateStep(EditRun& run, const EditStep& step) {
  if (!RequireTransformable(run, step)) return kExitUsage;
  if (step.value == 0) return kExitOk;  // an angle of 0 leaves the picture as it is
  const double turn = RotationTurn(static_cast<int>(step.value));
  const Fill fill = DocumentFill(run.doc);
  return Transform(
      run, step, [turn, fill](const PackedDib& p) { return Rotate(p, turn, fill); }, kDepthFailure);
}

int FisheyeStep(EditRun& run, const EditStep& step) {
  if (!RequireTransformable(run, step)) return kExitUsage;
  if (step.value == 0) return kExitOk;
  const double strength = FisheyeStrength(static_cast<int>(step.value));
  const Fill fill = DocumentFill(run.doc);
  return Transform(
      run, step, [strength, fill](const PackedDib& p) { return Fisheye(p, strength, fill); },
      kDepthFailure);
}

int Warp(EditRun& run, const EditStep& step, const QuadCorners& corners) {
  const Fill fill = DocumentFill(run.doc);
  return Transform(
      run, step, [corners, fill](const PackedDib& p) { return QuadWarp(p, corners, fill); },
      kDepthFailure);
}

int CornersStep(EditRun& run, const EditStep& step) {
  const std::vector<double> v = *Numbers(step.text, 8, 8);
  return Warp(run, step, QuadCorners{{v[0], v[1]}, {v[2], v[3]}, {v[4], v[5]}, {v[6], v[7]}});
}

int EdgesStep(EditRun& run, const EditStep& step) {
  const std::vector<double> v = *Numbers(step.text, 4, 4);
  const double top = v[0], left = v[1], bottom = v[2], right = v[3];
  return Warp(run, step, QuadCorners{{left, top}, {right, top}, {left, bottom}, {right, bottom}});
}

int Resize(EditRun& run, const EditStep& step, int32_t width, int32_t height) {
  return Transform(
      run, step, [width, height](const PackedDib& p) { return ResizeSmooth(p, width, height); },
      kDepthFailure);
}

int StretchStep(EditRun& run, const EditStep& step) {
  const std::vector<double> v = *Numbers(step.text, 2, 2, 'x');
  return Resize(run, step, static_cast<int32_t>(v[0]), static_cast<int32_t>(v[1]));
}

int ZoomStep(EditRun& run, const EditStep& step) {
  if (!RequireTransformable(run, step)) return kExitUsage;
  const std::vector<double> v = *Numbers(step.text, 1, 2);
  const int zoom = static_cast<int>(v[0]);
  const int aspect = v.size() == 2 ? static_cast<int>(v[1]) : 100;
  const PointI size = ZoomedSize(run.doc.width, run.doc.height, zoom, aspect);
  return Resize(run, step, size.x, size.y);
}

int CropStep(EditRun& run, const EditStep& step) {
  if (!RequireTransformable(run, step)) return kExitUsage;
  const std::vector<double> v = *Numbers(step.text, 4, 4);
  const int32_t x = static_cast<int32_t>(v[0]), y = static_cast<int32_t>(v[1]);
  if (x >= run.doc.width || y >= run.doc.height) {
    PrintError(run.err, step.label + ": the rectangle lies outside the " +
                            std::to_string(run.doc.width) + " x " + std::to_string(run.doc.height) +
                            " picture");
    return kExitUsage;
  }
  const PictureRect rect{x, y, x + static_cast<int32_t>(v[2]), y + static_cast<int32_t>(v[3])};
  return Result(run, step, TrimImage(run.doc, rect, TickCount()), kDepthFailure);
}

int MarginStep(EditRun& run, const EditStep& step) {
  if (!RequireTransformable(run, step)) return kExitUsage;
  return Result(run, step, AddMarginToImage(run.doc, TickCount()),
                "no margin: the picture needs 8 or 24 bits, a width and height of at least 8,"
                " and a free colour-table entry or a transparent colour");
}

template <TurnDirection kDirection>
int TurnStep(EditRun& run, const EditStep& step) {
  if (!RequireTransformable(run, step)) return kExitUsage;
  return Result(run, step, TurnImage(run.doc, kDirection, TickCount()),
                "the picture cannot be turned");
}

template <MirrorAxis kAxis>
int MirrorStep(EditRun& run, const EditStep& step) {
  if (!RequireTransformable(run, step)) return kExitUsage;
  return Result(run, step, MirrorImage(run.doc, kAxis, TickCount()), kDepthFailure);
}

int IconSizeStep(EditRun& run, const EditStep& step) {
  if (IsAnimation(run.doc.kind)) {
    PrintError(run.err, step.label + " needs a single picture; " + run.source +
                            " is an animation (keep one frame first with --to-picture N)");
    return kExitUsage;
  }
  if (!RequireTransformable(run, step)) return kExitUsage;
  return Result(run, step, ResizeToIconSize(run.doc), kDepthFailure);
}

}  // namespace

const std::vector<EditOperation>& TransformEditOperations() {
  static const std::vector<EditOperation> rows = {
      {.option = "--rotate",
       .argument = "DEG",
       .help = "rotate by DEG degrees (-90 to 90, clockwise when\npositive) about the centre",
       .parse = ParseAngle,
       .hint = "a whole number of degrees from -90 to 90",
       .apply = RotateStep},
      {.option = "--fisheye",
       .argument = "S",
       .help = "fisheye deformation of strength S (-90 to 90; positive\nbulges, negative pinches)",
       .parse = ParseStrength,
       .hint = "a whole number from -90 to 90",
       .apply = FisheyeStep},
      {.option = "--corners",
       .argument = "X,Y,X,Y,X,Y,X,Y",
       .help = "move the corners top-left, top-right, bottom-left,\nbottom-right to these points "
               "(the untouched W x H picture\nis 0,0,W,0,0,H,W,H)",
       .parse = ParseCorners,
       .hint = "eight numbers separated by commas",
       .apply = CornersStep},
      {.option = "--edges",
       .argument = "TOP,LEFT,BOTTOM,RIGHT",
       .help = "move the edges to these places (the untouched picture\nis 0,0,H,W)",
       .parse = ParseEdges,
       .hint = "four numbers separated by commas",
       .apply = EdgesStep},
      {.option = "--stretch",
       .argument = "WxH",
       .help = "stretch to W x H pixels",
       .parse = ParseSize,
       .hint = "a size such as 120x80 (1 to 65535 each)",
       .apply = StretchStep},
      {.option = "--zoom",
       .argument = "P[,ASPECT]",
       .help = "zoom to P percent (25 to 400), the height further by\nASPECT percent (50 to 200)",
       .parse = ParseZoom,
       .hint = "a zoom of 25 to 400, optionally followed by ,ASPECT of 50 to 200",
       .apply = ZoomStep},
      {.option = "--crop",
       .argument = "X,Y,W,H",
       .help = "keep the W x H rectangle whose top-left corner is X,Y\n(cut to the picture)",
       .parse = ParseCrop,
       .hint = "four whole numbers X,Y,W,H with W and H at least 1",
       .apply = CropStep},
      {.option = "--margin",
       .argument = "",
       .help = "centre the picture on a transparent square as wide as\nits diagonal",
       .apply = MarginStep},
      {.option = "--turn-left",
       .argument = "",
       .help = "turn by 90 degrees counterclockwise",
       .apply = TurnStep<TurnDirection::kLeft>},
      {.option = "--turn-right",
       .argument = "",
       .help = "turn by 90 degrees clockwise",
       .apply = TurnStep<TurnDirection::kRight>},
      {.option = "--flip-h",
       .argument = "",
       .help = "mirror left to right",
       .apply = MirrorStep<MirrorAxis::kHorizontal>},
      {.option = "--flip-v",
       .argument = "",
       .help = "mirror top to bottom",
       .apply = MirrorStep<MirrorAxis::kVertical>},
      {.option = "--icon-size",
       .argument = "",
       .help = "resize a single picture to 32 x 32",
       .apply = IconSizeStep,
       .renamesSource = true},
  };
  return rows;
}

}  // namespace zel::cli
