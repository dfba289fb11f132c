// One interactive transform tool as the tool host sees it: its texts, its forms, its fast
// preview and its full-quality transform. The host does the rest (tool mode, the source
// copy, coalescing previews, OK over every frame on worker threads, Cancel).
#pragma once

#include <QString>
#include <memory>

#include "transforms/frame_pass.h"
#include "transforms/tool_models.h"
#include "ui/tools/tool_form.h"

namespace zel {

class ToolHost;

class InteractiveTool {
 public:
  virtual ~InteractiveTool() = default;

  // The status texts (instruction, busy, idle, converting) and the full form's title.
  virtual const ToolTexts& Texts() const = 0;
  // Makes the form of `shape`, or nullptr when the tool has no form of that shape. Handles
  // are made here too, as children of host.View().
  virtual std::unique_ptr<ToolForm> MakeForm(ToolForm::Shape shape, ToolHost& host) = 0;
  // The fast preview of the form's current inputs, computed from `source`; null when it
  // cannot be computed.
  virtual PackedDib Preview(const PackedDib& source) = 0;
  // The full-quality transform of the inputs as they are at OK. It runs on worker threads,
  // so it must copy what it needs from the tool.
  virtual FrameTransform FinalTransform() const = 0;
  // True when the inputs at OK leave the picture as it is (a rotation or fisheye of 0): OK
  // then installs the source copy itself.
  virtual bool IsIdentity() const { return false; }
  // Status pane 3 after a preview (the new size for the stretch and zoom tools); empty
  // leaves the pane as it is.
  virtual QString SizeText() const { return {}; }
};

}  // namespace zel
