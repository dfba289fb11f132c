#include "transforms/image_commands.h"

#include <algorithm>
#include <utility>

#include "document/document_state.h"
#include "document/edit_transaction.h"
#include "transforms/deformations.h"
#include "transforms/one_step.h"
#include "transforms/sampling.h"

namespace zel {

namespace {

bool HasFrames(const DocumentState& doc) {
  return IsAnimation(doc.kind) && doc.frameSet && doc.frameSet->count >= 1 &&
         doc.frameSet->count <= doc.frameSet->capacity();
}

int32_t FrameSetTransparentIndex(const DocumentState& doc) {
  return doc.frameSet ? doc.frameSet->transparentIndex : -1;
}

}  // namespace

Fill DocumentFill(const DocumentState& doc) {
  return {ColorFromBackground(doc.backgroundColor),
          doc.frameSet ? doc.frameSet->transparentIndex : -1};
}

bool CanTransformImage(const DocumentState& doc) {
  if (!IsEditableKind(doc.kind) || !doc.currentPicture) return false;
  return !IsAnimation(doc.kind) || HasFrames(doc);
}

bool CanResizeToIconSize(const DocumentState& doc) {
  return CanTransformImage(doc) && !IsAnimation(doc.kind) &&
         (doc.bitCount == 8 || doc.bitCount == 24);
}

bool MarginFitsView(const DocumentState& doc, int viewWidth, int viewHeight) {
  return viewWidth >= doc.width && viewHeight >= doc.height;
}

Outcome ApplyToImageOrFrames(DocumentState& doc, const FrameTransform& transform,
                             UndoClass undoClass, uint32_t nowTick,
                             const FramePassOptions& options,
                             const std::function<void()>& alsoInstall) {
  if (!CanTransformImage(doc)) return Outcome::NothingDone();
  if (!IsAnimation(doc.kind)) {
    PackedDib result = transform(doc.currentPicture);
    if (!result) return Outcome::NothingDone();
    EditTransaction edit(doc, undoClass);
    return edit.Commit([&] {
      if (!SetCurrentPicture(doc, std::move(result))) return false;
      if (alsoInstall) alsoInstall();
      return true;
    });
  }

  EditTransaction edit(doc, undoClass, PlaybackRule::kRestart, nowTick);
  auto results = TransformEachFrame(*doc.frameSet, transform, options);
  FrameSet& frames = *doc.frameSet;
  const bool any = results && std::any_of(results->begin(), results->end(),
                                          [](const PackedDib& p) { return bool(p); });
  // The first frame as it will be, copied before anything is installed.
  PackedDib shown;
  if (any) shown = DuplicateBlock((*results)[0] ? (*results)[0] : frames.frame(0).image);
  if (!shown) return any ? Outcome::Failed(kMsgNoMemory) : Outcome::NothingDone();
  return edit.Commit([&] {
    for (int i = 0; i < frames.count; ++i) {
      PackedDib& result = (*results)[static_cast<size_t>(i)];
      if (result) frames.frame(i).image = std::move(result);
    }
    SetCurrentPicture(doc, std::move(shown));
    if (alsoInstall) alsoInstall();
    return true;
  });
}

Outcome TrimImage(DocumentState& doc, const PictureRect& rect, uint32_t nowTick,
              const FramePassOptions& options) {
  return ApplyToImageOrFrames(
      doc, [rect](const PackedDib& p) { return CropImage(p, rect.x1, rect.y1, rect.x2, rect.y2); },
      kUndoEdit, nowTick, options);
}

Outcome AddMarginToImage(DocumentState& doc, uint32_t nowTick, const FramePassOptions& options) {
  if (!CanTransformImage(doc)) return Outcome::NothingDone();
  const Rgbq color = ColorFromBackground(doc.backgroundColor);
  int32_t index = FrameSetTransparentIndex(doc);
  if (index < 0) {
    // One new entry, at the same index in every 8-bit picture: past the largest table.
    uint32_t largest = 0;
    bool indexed = false;
    auto consider = [&](const PackedDib& p) {
      if (!p || p.Header().bitCount != 8) return;
      indexed = true;
      largest = std::max(largest, p.ColorCount());
    };
    if (IsAnimation(doc.kind)) {
      for (int i = 0; i < doc.frameSet->count; ++i) consider(doc.frameSet->frame(i).image);
    } else {
      consider(doc.currentPicture);
    }
    if (indexed) {
      if (largest >= 256) return Outcome::NothingDone();
      index = static_cast<int32_t>(largest);
    }
  }
  // The new transparent index goes in with the pictures: an undo takes both back.
  return ApplyToImageOrFrames(
      doc,
      [color, index](const PackedDib& p) {
        int32_t t = p.Header().bitCount == 8 ? index : -1;
        return AddMargin(p, color, t);
      },
      kUndoEdit, nowTick, options, [&doc, index] {
        if (doc.frameSet && index >= 0) doc.frameSet->transparentIndex = index;
      });
}

Outcome TurnImage(DocumentState& doc, TurnDirection direction, uint32_t nowTick,
              const FramePassOptions& options) {
  const bool left = direction == TurnDirection::kLeft;
  return ApplyToImageOrFrames(
      doc, [left](const PackedDib& p) { return left ? TurnLeft90(p) : TurnRight90(p); }, kUndoEdit,
      nowTick, options);
}

Outcome MirrorImage(DocumentState& doc, MirrorAxis axis, uint32_t nowTick,
                const FramePassOptions& options) {
  const bool horizontal = axis == MirrorAxis::kHorizontal;
  return ApplyToImageOrFrames(
      doc,
      [horizontal](const PackedDib& p) {
        return horizontal ? MirrorHorizontal(p) : MirrorVertical(p);
      },
      kUndoEdit, nowTick, options);
}

Outcome ResizeToIconSize(DocumentState& doc) {
  if (!CanResizeToIconSize(doc)) return Outcome::NothingDone();
  PackedDib icon = ResizeSmooth(doc.currentPicture, 32, 32);
  if (!icon) return Outcome::Failed(kMsgNoMemory);
  EditTransaction edit(doc, kUndoColors);
  return edit.Commit([&] {
    const int32_t oldIndex = doc.frameSet ? doc.frameSet->transparentIndex : -1;
    if (doc.frameSet) doc.frameSet->transparentIndex = -1;
    if (SetCurrentPicture(doc, std::move(icon))) return true;
    if (doc.frameSet) doc.frameSet->transparentIndex = oldIndex;
    return false;
  });
}

}  // namespace zel
