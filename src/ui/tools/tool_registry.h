// The one place the editor makes a deformation or colour tool: by the family the core's
// table gives its kind (kToolFamilies), the handle tools or the slider tools.
#pragma once

#include <memory>

#include "transforms/tool_models.h"
#include "ui/tools/interactive_tool.h"

namespace zel {

struct DocumentState;

// The tool of `kind` over the document; nullptr only for a value that is no kind.
std::unique_ptr<InteractiveTool> MakeTool(ToolKind kind, DocumentState& doc);

}  // namespace zel
