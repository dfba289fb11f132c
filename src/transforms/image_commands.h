// The image menu's one-step commands on the open document: trimming to a picked rectangle,
// square margin, quarter turns, mirrors and icon size. Each works on the current picture of
// a single picture, or on the picture of every frame of an animation (the frames shared out
// over the cores), as one edit transaction: playback waits while the frames are made, the
// commit takes the undo snapshot, installs the result and restarts playback from the first
// frame. Each is undoable, the quarter turns and mirrors too.
#pragma once

#include <cstdint>
#include <functional>

#include "document/outcome.h"
#include "document/undo_history.h"

#include "transforms/frame_pass.h"
#include "transforms/sampling.h"

namespace zel {

struct DocumentState;

// What the deformations fill uncovered areas with: the document's background colour and
// the frame set's transparent index.
Fill DocumentFill(const DocumentState& doc);

// Kinds b, g, j, p (the current picture) and a, f (every frame), with a current picture.
bool CanTransformImage(const DocumentState& doc);
// Single pictures only.
bool CanResizeToIconSize(const DocumentState& doc);
// The margin runs only when the view's client area holds the current picture.
bool MarginFitsView(const DocumentState& doc, int viewWidth, int viewHeight);

// A picked rectangle, top-down, right and bottom edges exclusive.
struct PictureRect {
  int32_t x1 = 0;
  int32_t y1 = 0;
  int32_t x2 = 0;
  int32_t y2 = 0;
};

Outcome TrimImage(DocumentState& doc, const PictureRect& rect, uint32_t nowTick,
              const FramePassOptions& options = {});
Outcome AddMarginToImage(DocumentState& doc, uint32_t nowTick, const FramePassOptions& options = {});
enum class TurnDirection { kLeft, kRight };
Outcome TurnImage(DocumentState& doc, TurnDirection direction, uint32_t nowTick,
              const FramePassOptions& options = {});
enum class MirrorAxis { kHorizontal, kVertical };
Outcome MirrorImage(DocumentState& doc, MirrorAxis axis, uint32_t nowTick,
                const FramePassOptions& options = {});
Outcome ResizeToIconSize(DocumentState& doc);

// Applies `transform` to the current picture or to every frame: a frame whose transform
// fails keeps its picture; when none succeeds, or the pass is cancelled, nothing changes.
// `alsoInstall` runs with the installation (inside the same undo step). The commands
// above share it.
Outcome ApplyToImageOrFrames(DocumentState& doc, const FrameTransform& transform,
                             UndoClass undoClass, uint32_t nowTick,
                             const FramePassOptions& options,
                             const std::function<void()>& alsoInstall = {});

}  // namespace zel
