#include "transforms/tool_session.h"

#include <utility>

#include "document/document_state.h"
#include "document/playback.h"
#include "transforms/image_commands.h"

namespace zel {

bool ToolSession::Open() {
  if (!CanTransformImage(doc_)) return false;
  PackedDib copy = DuplicateBlock(doc_.currentPicture);
  if (!copy) return false;
  doc_.toolSource = std::move(copy);
  // The run is one edit: playback waits until the tool closes, and OK commits.
  edit_.emplace(doc_, kUndoTransform);
  open_ = true;
  changed_ = false;
  return true;
}

const PackedDib& ToolSession::source() const {
  return doc_.toolSource;
}

Fill ToolSession::fill() const {
  return DocumentFill(doc_);
}

bool ToolSession::ShowPreview(PackedDib preview) {
  if (!open_ || !preview) return false;
  if (!SetCurrentPicture(doc_, std::move(preview))) return false;
  changed_ = true;
  return true;
}

void ToolSession::RestoreSource() {
  if (changed_ && doc_.toolSource) SetCurrentPicture(doc_, std::move(doc_.toolSource));
  doc_.toolSource.Reset();
}

Outcome ToolSession::Ok(const FrameTransform& full, bool identity,
                        const FramePassOptions& options) {
  if (!open_ || !edit_) return Outcome::NothingDone();
  open_ = false;
  if (!changed_) {
    doc_.toolSource.Reset();
    return Outcome::NothingDone();
  }
  if (!IsAnimation(doc_.kind)) {
    PackedDib result = identity ? PackedDib{} : full(doc_.toolSource);
    if (!identity && !result) {
      RestoreSource();
      return Outcome::Failed(kMsgNoMemory);
    }
    return edit_->Commit([&] {
      if (!SetCurrentPicture(doc_, identity ? std::move(doc_.toolSource) : std::move(result))) {
        return false;
      }
      doc_.toolSource.Reset();
      return true;
    });
  }

  FrameSet& frames = *doc_.frameSet;
  std::optional<std::vector<PackedDib>> results;
  if (!identity) {
    results = TransformEachFrame(frames, full, options);
    if (!results) {
      RestoreSource();
      return Outcome::Cancelled();
    }
  }
  PackedDib shown =
      DuplicateBlock(results && (*results)[0] ? (*results)[0] : frames.frame(0).image);
  if (!shown) {
    RestoreSource();
    return Outcome::Failed(kMsgNoMemory);
  }
  return edit_->Commit([&] {
    if (results) {
      for (int i = 0; i < frames.count; ++i) {
        PackedDib& result = (*results)[static_cast<size_t>(i)];
        if (result) frames.frame(i).image = std::move(result);
      }
    }
    SetCurrentPicture(doc_, std::move(shown));
    doc_.toolSource.Reset();
    return true;
  });
}

void ToolSession::Cancel() {
  if (!open_) return;
  open_ = false;
  RestoreSource();
}

void ToolSession::Close(uint32_t nowTick) {
  if (open_) Cancel();
  edit_.reset();
  if (IsAnimation(doc_.kind)) RestartPlayback(doc_, nowTick);
}

}  // namespace zel
