// The rules of the two mouse picks over the view: the trimming rectangle (two corners) and
// the paste position (one point). The editor runs the mouse loop and draws the crosshair
// and the rubber band; these models say where the cursor may go, what the status bar shows
// and what the pick returns.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "resources/words.h"
#include "transforms/image_commands.h"
#include "transforms/tool_models.h"

namespace zel {

inline constexpr Words kPickFirstCornerText{
    "ﾄﾘﾐﾝｸﾞ、切取る画像の左上端を指定します",
    "Trimming: point at the top-left corner of the part to keep"};
inline constexpr Words kPickSecondCornerText{
    "ﾄﾘﾐﾝｸﾞ、切取る画像の右下端を指定します",
    "Trimming: point at the bottom-right corner of the part to keep"};
inline constexpr Words kPickPointText{
    "画像の位置、貼り付ける画像の左上端を指定します",
    "Picture position: point at where the pasted picture's top-left corner goes"};

// What a pick returns: 0 with its result, 1 after a left double click, 2 after a right
// button release or when the program is asked to quit (or the window goes away).
constexpr int kPickDone = 0;
constexpr int kPickDoubleClick = 1;
constexpr int kPickCancelled = 2;

enum class PickInput { kMove, kLeftUp, kRightUp, kLeftDoubleClick, kQuit };

// Status-bar part 3 icons.
constexpr int kPickFirstIcon = 136;
constexpr int kPickSecondIcon = 137;

class RectanglePick {
 public:
  RectanglePick(int32_t width, int32_t height) : width_(width), height_(height) {}

  // Where the cursor goes when the pick starts: it stays over the picture, else the
  // picture's top-left corner.
  PointI StartCursor(PointI cursor) const;

  // Feeds one mouse input at `cursor` (picture coordinates); a result code once finished.
  // After the first corner, `warpCursor` tells where the cursor is to be put.
  std::optional<int> Handle(PickInput input, PointI cursor);

  bool secondCorner() const { return second_; }
  const char* StatusText() const {
    return second_ ? Say(kPickSecondCornerText) : Say(kPickFirstCornerText);
  }
  int StatusIcon() const { return second_ ? kPickSecondIcon : kPickFirstIcon; }
  // Part 3: the crosshair position, or the rectangle's size while the second corner moves.
  std::string SizeText() const;
  // The crosshair (first stage) and the rectangle outline's corners (second stage).
  PointI crosshair() const { return point_; }
  PointI firstCorner() const { return first_; }
  PointI secondCornerPoint() const { return point_; }
  std::optional<PointI> warpCursor() const { return warp_; }
  // The picked rectangle, corners ordered, right and bottom exclusive.
  PictureRect result() const;

 private:
  int32_t width_, height_;
  bool second_ = false;
  PointI first_;
  PointI point_;
  std::optional<PointI> warp_;
};

class PointPick {
 public:
  // The start point is held inside the area.
  PointPick(int32_t width, int32_t height, PointI start);
  std::optional<int> Handle(PickInput input, PointI cursor);
  PointI point() const { return point_; }
  const char* StatusText() const { return Say(kPickPointText); }
  int StatusIcon() const { return kPickFirstIcon; }
  std::string SizeText() const { return zel::SizeText(point_.x, point_.y); }

 private:
  int32_t width_, height_;
  PointI point_;
};

}  // namespace zel
