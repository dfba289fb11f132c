// The two mouse picks over the view: the trimming rectangle and the paste point. Each runs
// a local event loop while an overlay over the view follows the mouse, drawing the
// crosshair and the rubber band (drawn, never inverted on the screen); the cursor is kept
// over the picture where the platform lets a program move it. The status bar shows the
// pick's texts and is given back afterwards. Closing the window, quitting, or the view
// going away cancels.
#pragma once

#include "transforms/image_commands.h"
#include "transforms/pick_rules.h"

namespace zel {

class ToolHost;

struct RectanglePickResult {
  int code = kPickCancelled;  // kPickDone with `rect`, else the cancel code
  PictureRect rect;
};
RectanglePickResult PickRectangle(ToolHost& host, int32_t width, int32_t height);

struct PointPickResult {
  int code = kPickCancelled;
  PointI point;
};
PointPickResult PickPoint(ToolHost& host, int32_t width, int32_t height, PointI start);

}  // namespace zel
