// One run of a deformation or colour tool on the document: opening takes a source copy of
// the current picture and holds playback off; every preview is computed from that copy and
// shown as the current picture; OK applies the full-quality transform to the picture or to
// every frame (on both cores) under one undo snapshot; Cancel gives back the picture as it
// was; closing clears the busy bit and restarts playback.
#pragma once

#include <cstdint>
#include <optional>

#include "document/edit_transaction.h"
#include "document/outcome.h"
#include "document/packed_dib.h"
#include "transforms/frame_pass.h"
#include "transforms/sampling.h"

namespace zel {

struct DocumentState;

class ToolSession {
 public:
  explicit ToolSession(DocumentState& doc) : doc_(doc) {}
  // A session dropped while open is cancelled: the source copy comes back.
  ~ToolSession() { Cancel(); }
  ToolSession(const ToolSession&) = delete;
  ToolSession& operator=(const ToolSession&) = delete;

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

  // OK. Nothing changed: the source copy is dropped (nothing done). Otherwise the run's
  // edit commits: the undo snapshot (32784) and `full` applied to the source copy (a
  // single picture) or to every frame; `identity` (angle or strength 0) installs the source
  // copy itself. A frame whose transform fails keeps its picture. Cancelled when the pass
  // was cancelled, failed when memory ran short; then the source copy is shown again and
  // nothing changes.
  Outcome Ok(const FrameTransform& full, bool identity, const FramePassOptions& options = {});
  // Cancel: the source copy comes back when a preview was shown.
  void Cancel();
  // Closing: the run's edit ends (the document is free again); an animation plays again
  // from the first frame.
  void Close(uint32_t nowTick);

 private:
  void RestoreSource();
  DocumentState& doc_;
  // From Open to Close: holds the document busy; OK commits it.
  std::optional<EditTransaction> edit_;
  bool open_ = false;
  bool changed_ = false;
};

}  // namespace zel
