#include "ui/tools/tool_registry.h"

#include "ui/tools/handle_tools.h"
#include "ui/tools/slider_tools.h"

namespace zel {

std::unique_ptr<InteractiveTool> MakeTool(ToolKind kind, DocumentState& doc) {
  const std::optional<ToolFamily> family = FamilyOf(kind);
  if (!family) return nullptr;
  switch (*family) {
    case ToolFamily::kHandles:
      return MakeHandleTool(kind, doc);
    case ToolFamily::kSliders:
      return MakeSliderTool(kind, doc);
  }
  return nullptr;
}

}  // namespace zel
