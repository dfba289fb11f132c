// One run of a deformation or colour tool on the document: opening takes a source copy of
// the current picture and holds playback off; every preview is computed from that copy and
// shown as the current picture; OK applies the full-quality transform to the picture or to
// every frame (on both cores) under one undo snapshot; Cancel gives back the picture as it
// was; closing clears the busy bit and restarts playback.
#pragma once

#include <cstdint>

#include "document/packed_dib.h"
#include "transforms/frame_pass.h"
#include "transforms/sampling.h"

namespace zel {

struct DocumentState;

class ToolSession {
 public:
  explicit ToolSession(DocumentState& doc) : doc_(doc) {}

  // False when the tool cannot run (kind, no picture) or no source copy can be made:
  // nothing changes and the form closes at once.
  bool Open();
  const PackedDib& source() const;
  // The fill of the uncovered areas: the background colour and the transparent index.
  Fill fill() const;

  // Installs a preview made from the source copy and marks the run changed. A null
  // preview (it could not be computed) leaves the previous one.
  bool ShowPreview(PackedDib preview);
  bool changed() const { return changed_; }
  // Between a successful Open and OK or Cancel.
  bool IsOpen() const { return open_; }

  // OK. Nothing changed: the source copy is dropped. Otherwise the undo snapshot (32784)
  // and `full` applied to the source copy (a single picture) or to every frame; `identity`
  // (angle or strength 0) installs the source copy itself. A frame whose transform fails
  // keeps its picture. Returns 0, -1 when the pass was cancelled (the source copy is shown
  // again and nothing changes), or 502 when a single picture failed (the same).
  int Ok(const FrameTransform& full, bool identity, const FramePassOptions& options = {});
  // Cancel: the source copy comes back when a preview was shown.
  void Cancel();
  // Closing: busy bit cleared; an animation plays again from the first frame.
  void Close(uint32_t nowTick);

 private:
  void RestoreSource();
  DocumentState& doc_;
  bool open_ = false;
  bool changed_ = false;
};

}  // namespace zel
