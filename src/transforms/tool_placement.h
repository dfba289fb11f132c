// Where a tool's form goes: the bar along the bottom edge of the view, as wide as it, when
// it fits; else the full form 4 pixels right of the view's left edge and 4 below the
// picture, pulled back onto the screen. Rectangles are in screen coordinates.
#pragma once

#include <cstdint>

namespace zel {

struct ToolRect {
  int32_t x = 0, y = 0, width = 0, height = 0;
};
enum class FormPlacement { kBar, kFull };
struct FormLayout {
  FormPlacement placement = FormPlacement::kFull;
  ToolRect rect;
};

// `standardBarFloats` forces the full form. The bar is refused when the view is narrower
// than the bar or the bar would leave the screen.
FormLayout PlaceToolForm(const ToolRect& view, const ToolRect& screen, int32_t pictureHeight,
                         const ToolRect& barSize, const ToolRect& fullSize, bool standardBarFloats);

}  // namespace zel
