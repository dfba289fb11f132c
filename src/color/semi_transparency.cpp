#include "color/semi_transparency.h"

#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "color/index_color.h"
#include "document/document_state.h"
#include "document/edit_transaction.h"

namespace zel {

namespace {

bool IsIndexed(const PackedDib& p) {
  return p && p.size() >= kDibHeaderSize && IsWholePicture(p) && p.Header().bitCount == 8;
}

Rgbq BackgroundEntry(uint32_t color) {
  return {static_cast<uint8_t>(color >> 16), static_cast<uint8_t>(color >> 8),
          static_cast<uint8_t>(color), 0};
}

bool UsesIndex(const PackedDib& p, int32_t index) {
  const DibHeader h = p.Header();
  for (int32_t y = 0; y < h.height; ++y) {
    const uint8_t* row = p.Row(y);
    for (int32_t x = 0; x < h.width; ++x) {
      if (row[x] == index) return true;
    }
  }
  return false;
}

// A copy of `frame` in which `index` is a transparent entry: the table grows up to it when
// it is shorter (new entries hold `color`). When the index is new to the document and
// already inside the table, it must be unused by the pixels; it then takes `color`.
PackedDib WithTransparentEntry(const PackedDib& frame, int32_t index, bool newIndex, Rgbq color) {
  const uint32_t count = frame.ColorCount();
  const DibHeader h = frame.Header();
  if (static_cast<uint32_t>(index) < count) {
    if (newIndex && UsesIndex(frame, index)) return {};
    PackedDib copy = DuplicateBlock(frame);
    if (copy && newIndex) copy.ColorTable()[index] = color;
    return copy;
  }
  const uint32_t colors = static_cast<uint32_t>(index) + 1;
  std::vector<Rgbq> table(colors, color);
  std::memcpy(table.data(), frame.ColorTable(), 4 * static_cast<size_t>(count));
  PackedDib grown = NewPicture(h.width, h.height, 8, colors, table.data());
  if (!grown) return grown;
  for (int32_t y = 0; y < h.height; ++y) {
    std::memcpy(grown.Row(y), frame.Row(y), static_cast<size_t>(h.width));
  }
  return grown;
}

}  // namespace

void ApplyTransparencyPattern(PackedDib& picture, int32_t index, SemiLevel level) {
  if (!IsIndexed(picture) || index < 0 || static_cast<uint32_t>(index) >= picture.ColorCount()) {
    return;
  }
  const DibHeader h = picture.Header();
  const size_t stride = picture.Stride();
  const uint8_t t = static_cast<uint8_t>(index);
  for (int32_t r = 0; r < h.height; ++r) {
    uint8_t* row = picture.Pixels() + static_cast<size_t>(r) * stride;
    const bool evenRow = (r & 1) == 0;
    for (int32_t x = 0; x < h.width; ++x) {
      const bool evenColumn = (x & 1) == 0;
      bool set = false;
      switch (level) {
        case SemiLevel::k25:
          set = evenRow && evenColumn;
          break;
        case SemiLevel::k50:
          set = (x & 1) == (r & 1);
          break;
        case SemiLevel::k75:
          set = !evenRow || evenColumn;
          break;
      }
      if (set) row[x] = t;
    }
  }
}

bool CanApplySemiTransparency(const DocumentState& doc) {
  return IsEditableKind(doc.kind) && doc.bitCount == 8 && IsIndexed(doc.currentPicture);
}

Outcome ApplySemiTransparency(DocumentState& doc, SemiLevel level, uint32_t nowTick) {
  const Outcome nothing = Outcome::NothingDone();
  if (!CanApplySemiTransparency(doc) || !doc.frameSet) return nothing;
  FrameSet& frames = *doc.frameSet;
  const Rgbq color = BackgroundEntry(doc.backgroundColor);
  int32_t index = frames.transparentIndex;
  if (index > 255) return nothing;

  if (!IsAnimation(doc.kind)) {
    PackedDib picture;
    if (index < 0) {
      auto made = AppendTransparentEntry(DuplicateBlock(doc.currentPicture), doc.backgroundColor);
      if (!made) return nothing;
      picture = std::move(made->picture);
      index = made->transparentIndex;
    } else {
      picture = WithTransparentEntry(doc.currentPicture, index, false, color);
    }
    if (!picture) return nothing;
    ApplyTransparencyPattern(picture, index, level);
    EditTransaction edit(doc, kUndoEdit);
    const Outcome installed = edit.Commit([&] {
      if (!SetCurrentPicture(doc, std::move(picture))) return false;
      frames.transparentIndex = index;
      return true;
    });
    return installed.done() ? installed : nothing;
  }

  if (frames.count < 1 || frames.count > frames.capacity()) return nothing;
  EditTransaction edit(doc, kUndoEdit, PlaybackRule::kRestart, nowTick);
  std::vector<PackedDib> copies(static_cast<size_t>(frames.count));
  for (int i = 0; i < frames.count; ++i) {
    if (!IsIndexed(frames.frame(i).image)) return nothing;
  }
  const bool newIndex = index < 0;
  if (newIndex) {
    auto made = AppendTransparentEntry(DuplicateBlock(frames.frame(0).image), doc.backgroundColor);
    if (!made) return nothing;
    copies[0] = std::move(made->picture);
    index = made->transparentIndex;
  }
  for (int i = newIndex ? 1 : 0; i < frames.count; ++i) {
    copies[static_cast<size_t>(i)] =
        WithTransparentEntry(frames.frame(i).image, index, newIndex, color);
    if (!copies[static_cast<size_t>(i)]) return nothing;
  }
  for (PackedDib& copy : copies) ApplyTransparencyPattern(copy, index, level);
  PackedDib shown = DuplicateBlock(copies[0]);
  if (!shown) return nothing;

  return edit.Commit([&] {
    for (int i = 0; i < frames.count; ++i)
      frames.frame(i).image = std::move(copies[static_cast<size_t>(i)]);
    frames.transparentIndex = index;
    SetCurrentPicture(doc, std::move(shown));
    return true;
  });
}

}  // namespace zel
