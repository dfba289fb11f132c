// The slider tools: zoom, rotation, fisheye and the colour adjustment's two forms (three
// sliders with the gray box, or the one gamma slider). Each reads its inputs from its form,
// previews from the source copy with the fast mapping and applies the full-quality one.
#pragma once

#include <memory>

#include "transforms/tool_models.h"
#include "ui/tools/interactive_tool.h"

namespace zel {

struct DocumentState;

// kZoom, kRotation, kFisheye, kColor or kGamma; nullptr for the handle tools.
std::unique_ptr<InteractiveTool> MakeSliderTool(ToolKind kind, DocumentState& doc);

}  // namespace zel
