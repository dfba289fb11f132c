#include "transforms/pick_rules.h"

#include <algorithm>
#include <cstdlib>

namespace zel {

namespace {

PointI Hold(PointI p, int32_t maxX, int32_t maxY) {
  return {std::clamp(p.x, 0, std::max(maxX, 0)), std::clamp(p.y, 0, std::max(maxY, 0))};
}

std::optional<int> Cancelled(PickInput input) {
  switch (input) {
    case PickInput::kRightUp:
    case PickInput::kQuit:
      return kPickCancelled;
    case PickInput::kLeftDoubleClick:
      return kPickDoubleClick;
    default:
      return std::nullopt;
  }
}

}  // namespace

PointI RectanglePick::StartCursor(PointI cursor) const {
  const bool over = cursor.x >= 0 && cursor.x <= width_ - 1 && cursor.y >= 0 && cursor.y <= height_;
  return over ? cursor : PointI{0, 0};
}

std::optional<int> RectanglePick::Handle(PickInput input, PointI cursor) {
  if (auto code = Cancelled(input)) return code;
  warp_.reset();
  if (!second_) {
    point_ = Hold(cursor, width_ - 1, height_ - 1);
    if (input != PickInput::kLeftUp) return std::nullopt;
    first_ = point_;
    second_ = true;
    point_ = Hold({first_.x + 20, first_.y + 20}, width_, height_);
    warp_ = Hold({point_.x + 20, point_.y + 20}, width_, height_);
    return std::nullopt;
  }
  point_ = Hold(cursor, width_, height_);
  if (input == PickInput::kLeftUp) return kPickDone;
  return std::nullopt;
}

std::string RectanglePick::SizeText() const {
  if (!second_) return zel::SizeText(point_.x, point_.y);
  return zel::SizeText(std::abs(point_.x - first_.x) + 1, std::abs(point_.y - first_.y) + 1);
}

PictureRect RectanglePick::result() const {
  return {std::min(first_.x, point_.x), std::min(first_.y, point_.y),
          std::max(first_.x, point_.x) + 1, std::max(first_.y, point_.y) + 1};
}

PointPick::PointPick(int32_t width, int32_t height, PointI start)
    : width_(width), height_(height), point_(Hold(start, width - 1, height - 1)) {}

std::optional<int> PointPick::Handle(PickInput input, PointI cursor) {
  if (auto code = Cancelled(input)) return code;
  point_ = Hold(cursor, width_ - 1, height_ - 1);
  if (input == PickInput::kLeftUp) return kPickDone;
  return std::nullopt;
}

}  // namespace zel
