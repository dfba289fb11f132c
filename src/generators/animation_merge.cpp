#include "generators/animation_merge.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <vector>

#include "document/edit_transaction.h"
#include "document/undo_history.h"
#include "generators/merge_palette.h"
#include "generators/palette_compaction.h"
#include "generators/time_pairing.h"
#include "imagefiles/memory_budget.h"
#include "platform/parallel.h"
#include "resources/words.h"

namespace zel {
namespace {

// One side of the merge: its 8-bit pictures, seen through their compacted palette.
struct MergeSide {
  std::vector<const PackedDib*> pictures;
  std::vector<int32_t> delays;
  CompactedPalette compacted;
  PackedDib expanded;                // a single picture of fewer than 8 bits, widened
  const FrameSet* frames = nullptr;  // the animation's own set, for its header and records
};

struct Placement {
  int32_t width = 0;
  int32_t height = 0;
  int32_t x = 0;
  int32_t y = 0;
  bool inFront = true;
  int32_t baseTransparent = -1;
  const MergedPalette* merged = nullptr;
};

PackedDib ComposePair(const PackedDib& base, const std::array<uint8_t, 256>& baseMap,
                      const PackedDib& overlay, const std::array<int16_t, 256>& overlayMap,
                      const Placement& p) {
  PackedDib out = NewPicture(p.width, p.height, 8, static_cast<uint32_t>(p.merged->count),
                             p.merged->palette.data());
  if (!out) return {};
  const DibHeader bh = base.Header();
  const DibHeader oh = overlay.Header();
  const int32_t fill = p.baseTransparent >= 0 ? p.baseTransparent : baseMap[base.Pixels()[0]];
  for (int32_t y = 0; y < p.height; ++y) {
    std::fill_n(out.Row(y), p.width, static_cast<uint8_t>(fill));
  }
  auto drawBase = [&](bool skipTransparent) {
    const int32_t rows = std::min(bh.height, p.height);
    const int32_t cols = std::min(bh.width, p.width);
    for (int32_t y = 0; y < rows; ++y) {
      const uint8_t* src = base.Row(y);
      uint8_t* dst = out.Row(y);
      for (int32_t x = 0; x < cols; ++x) {
        const uint8_t v = baseMap[src[x]];
        if (skipTransparent && v == p.baseTransparent) continue;
        dst[x] = v;
      }
    }
  };
  auto drawOverlay = [&] {
    for (int32_t j = 0; j < oh.height; ++j) {
      const int64_t ty = int64_t{p.y} + j;
      if (ty < 0) continue;
      if (ty >= p.height) break;
      const uint8_t* src = overlay.Row(j);
      uint8_t* dst = out.Row(static_cast<int32_t>(ty));
      for (int32_t i = 0; i < oh.width; ++i) {
        const int64_t tx = int64_t{p.x} + i;
        if (tx < 0) continue;
        if (tx >= p.width) break;
        const int16_t m = overlayMap[src[i]];
        if (m >= 0) dst[tx] = static_cast<uint8_t>(m);
      }
    }
  };
  if (p.inFront) {
    drawBase(false);
    drawOverlay();
  } else {
    drawOverlay();
    drawBase(p.baseTransparent >= 0);
  }
  return out;
}

// The base: the document's frames, or its picture.
int PrepareBase(const DocumentState& doc, MergeSide& side, int32_t* transparent) {
  const int32_t declared = doc.frameSet->transparentIndex;
  if (IsAnimation(doc.kind)) {
    const FrameSet& set = *doc.frameSet;
    if (set.count < 1) return kMergeNoMemory;
    for (int i = 0; i < set.count; ++i) {
      if (!set.frame(i).image) return kMergeNoMemory;
      side.pictures.push_back(&set.frame(i).image);
      side.delays.push_back(set.frame(i).delay);
    }
    side.frames = &set;
  } else {
    if (!doc.currentPicture || doc.currentPicture.size() < kDibHeaderSize) return kMergeNoMemory;
    if (doc.currentPicture.Header().bitCount > 8) return kMergeTooManyColors;
    side.expanded = ExpandTo8Bits(doc.currentPicture);
    if (!side.expanded) return kMergeNoMemory;
    side.pictures.push_back(&side.expanded);
  }
  if (!CompactPalette(side.pictures, declared, &side.compacted)) return kMergeNoMemory;
  *transparent = side.compacted.transparentIndex;
  return kMergeOk;
}

int PrepareOverlay(const MergeOverlay& overlay, MergeSide& side) {
  if (overlay.IsAnimation()) {
    const FrameSet& set = *overlay.frames;
    for (int i = 0; i < set.count; ++i) {
      if (!set.frame(i).image) return overlay.unusable;
      side.pictures.push_back(&set.frame(i).image);
      side.delays.push_back(set.frame(i).delay);
    }
    side.frames = &set;
  } else {
    if (!overlay.picture || overlay.picture.size() < kDibHeaderSize) return overlay.unusable;
    if (overlay.picture.Header().bitCount > 8) return kMergeNotIndexed;
    side.expanded = ExpandTo8Bits(overlay.picture);
    if (!side.expanded) return kMergeNoMemory;
    side.pictures.push_back(&side.expanded);
  }
  if (side.pictures.empty() ||
      !CompactPalette(side.pictures, overlay.transparentIndex, &side.compacted)) {
    return overlay.unusable;
  }
  return kMergeOk;
}

// A frame set for the result: the header and records of `model` (the driving animation),
// the merged screen and palette, the composed pictures.
std::unique_ptr<FrameSet> ResultFrames(const FrameSet& model, int capacity,
                                       std::vector<PackedDib>& pictures, const Placement& p) {
  std::unique_ptr<FrameSet> set = FrameSet::Create(capacity);
  if (!set || static_cast<int>(pictures.size()) > capacity) return nullptr;
  set->screenWidth = p.width;
  set->screenHeight = p.height;
  set->transparentIndex = p.baseTransparent;
  set->loop = model.loop;
  set->palette = p.merged->palette;
  set->paletteCount = p.merged->count;
  set->count = static_cast<int32_t>(pictures.size());
  for (int i = 0; i < set->count; ++i) {
    const Frame& from = model.frame(i);
    Frame& to = set->frame(i);
    to.image = std::move(pictures[static_cast<size_t>(i)]);
    to.delay = from.delay;
    to.disposal = from.disposal;
    to.disposalMethod = from.disposalMethod;
    to.transparentIndex = p.baseTransparent;
  }
  return set;
}

}  // namespace

std::string MergeErrorText(const MergeResult& result) {
  switch (result.error) {
    case kMergeFileNotFound:
      return Say({"ﾌｧｲﾙが見つかりません", "The file cannot be found"});
    case kMergeNoMemory:
      return Say({"ﾒﾓﾘが足りません", "There is too little memory"});
    case kMergeCannotOpen:
      return Say({"ﾌｧｲﾙがｵｰﾌﾟﾝできません", "The file cannot be opened"});
    case kMergeNotIndexed:
      return Say(
          {"ｲﾝﾃﾞｨｯｸｽｶﾗｰではない画像が指定されました", "The picture given is not in index colours"});
    case kMergeTooManyColors: {
      char text[256];
      std::snprintf(text, sizeof text,
                    Say({"色数の合計が256色を超えました\n元=%d色、指定したｱﾆﾒ=%d色\n"
                         "ｱﾆﾒの合成は出来ません",
                         "The colours add up to more than 256\nopen one=%d colours, the "
                         "animation given=%d colours\nThe animations cannot be merged"}),
                    result.baseColors, result.overlayColors);
      return text;
    }
    case kMergeNoDuration:
      return Say({"ｱﾆﾒの表示時間が取得できません", "The animation's playing time cannot be found"});
    case kMergeNoClipboard:
      return Say(
          {"ｸﾘｯﾌﾟﾎﾞｰﾄﾞから画像が取得できません", "No picture can be taken from the clipboard"});
    default:
      return "";
  }
}

MergeResult MergeIntoDocument(DocumentState& doc, MergeOverlay overlay, uint32_t flags, int32_t x,
                              int32_t y, uint32_t nowTick) {
  MergeResult result;
  if (doc.kind == ImageKind::kNone || !doc.frameSet) {
    result.error = kMergeNoMemory;
    return result;
  }
  // The result is built while the document is held; it changes only at the commit.
  DocumentBusyScope busy(doc);
  MergeSide top;
  if ((result.error = PrepareOverlay(overlay, top)) != kMergeOk) return result;
  result.overlayColors = top.compacted.count;

  MergeSide bottom;
  int32_t baseTransparent = -1;
  if ((result.error = PrepareBase(doc, bottom, &baseTransparent)) != kMergeOk) return result;
  result.baseColors = bottom.compacted.count;

  const bool baseAnimated = bottom.frames != nullptr;
  const bool overlayAnimated = top.frames != nullptr;
  TimePairing pairing;
  if (baseAnimated && overlayAnimated) {
    if ((result.error = PairByTime(bottom.delays, top.delays, &pairing)) != 0) return result;
  } else if (overlayAnimated) {
    pairing.baseDrives = false;
    pairing.partner.assign(top.pictures.size(), 0);
  } else {
    pairing.baseDrives = true;
    pairing.partner.assign(bottom.pictures.size(), 0);
  }

  MergedPalette merged;
  if (!MergePalettes(bottom.compacted.palette.data(), bottom.compacted.count, baseTransparent,
                     top.compacted.palette.data(), top.compacted.count,
                     top.compacted.transparentIndex, &merged)) {
    result.error = kMergeTooManyColors;
    return result;
  }

  const DibHeader baseHeader = bottom.pictures[0]->Header();
  const DibHeader overlayHeader = top.pictures[0]->Header();
  Placement place;
  place.x = std::clamp(x, 0, baseHeader.width);
  place.y = std::clamp(y, 0, baseHeader.height);
  const int64_t width = std::max<int64_t>(baseHeader.width, int64_t{place.x} + overlayHeader.width);
  const int64_t height =
      std::max<int64_t>(baseHeader.height, int64_t{place.y} + overlayHeader.height);
  const size_t frameCount = pairing.partner.size();
  const uint64_t bytes = static_cast<uint64_t>(RowStride(
                             8, static_cast<int32_t>(std::min<int64_t>(width, INT32_MAX)))) *
                         static_cast<uint64_t>(height) * frameCount;
  if (width > INT32_MAX || height > INT32_MAX || bytes > PictureMemoryBudget() ||
      static_cast<int>(frameCount) > doc.frameSet->capacity()) {
    result.error = kMergeNoMemory;
    return result;
  }
  place.width = static_cast<int32_t>(width);
  place.height = static_cast<int32_t>(height);
  place.inFront = (flags & kMergeInFront) != 0;
  place.baseTransparent = baseTransparent;
  place.merged = &merged;

  // Each overlay frame's stored index -> merged index (or -1, never drawn).
  std::vector<std::array<int16_t, 256>> overlayMaps(top.pictures.size());
  for (size_t f = 0; f < top.pictures.size(); ++f) {
    for (size_t i = 0; i < 256; ++i) overlayMaps[f][i] = merged.map[top.compacted.maps[f][i]];
  }

  std::vector<PackedDib> composed(frameCount);
  ParallelFor(frameCount, [&](size_t i) {
    const size_t other = static_cast<size_t>(pairing.partner[i]);
    const size_t b = pairing.baseDrives ? i : other;
    const size_t o = pairing.baseDrives ? other : i;
    composed[i] = ComposePair(*bottom.pictures[b], bottom.compacted.maps[b], *top.pictures[o],
                              overlayMaps[o], place);
  });
  for (const PackedDib& picture : composed) {
    if (!picture) {
      result.error = kMergeNoMemory;
      return result;
    }
  }

  // Everything is made: the document changes from here on.
  if (!baseAnimated && !overlayAnimated) {
    result.mergeCase = MergeCase::kPictureWithPicture;
    PackedDib display;
    if (!doc.trueColorDisplay && !(display = MakePaletteDisplayCopy(composed[0]))) {
      result.error = kMergeNoMemory;
      return result;
    }
    EditTransaction edit(doc, kUndoColors);
    const Outcome installed = edit.Commit([&] {
      if (!SetCurrentPicture(doc, std::move(composed[0]), std::move(display))) return false;
      doc.frameSet->transparentIndex = baseTransparent;
      ApplyBackgroundColor(doc);
      return true;
    });
    if (!installed.done()) {
      result.error = kMergeNoMemory;
      result.mergeCase = MergeCase::kNone;
    }
    return result;
  }

  const FrameSet& model = pairing.baseDrives ? *bottom.frames : *top.frames;
  std::unique_ptr<FrameSet> frames = ResultFrames(model, doc.frameSet->capacity(), composed, place);
  // An animation keeps its loop count; one newly made from a picture loops for ever.
  if (frames) frames->loopCount = baseAnimated ? doc.frameSet->loopCount : kLoopForever;
  PackedDib first = frames ? DuplicateBlock(frames->frame(0).image) : PackedDib();
  PackedDib display;
  if (first && !doc.trueColorDisplay) display = MakePaletteDisplayCopy(first);
  if (!first || (!doc.trueColorDisplay && !display)) {
    result.error = kMergeNoMemory;
    return result;
  }
  result.mergeCase = !baseAnimated     ? MergeCase::kPictureWithAnimation
                     : overlayAnimated ? MergeCase::kAnimationWithAnimation
                                       : MergeCase::kAnimationWithPicture;
  EditTransaction edit(doc, baseAnimated ? kUndoEdit : kUndoMakeAnime, PlaybackRule::kRestart,
                       nowTick);
  const Outcome installed = edit.Commit([&] {
    doc.frameSet->FreeFrames();
    doc.frameSet->TakeFrom(*frames);
    if (!baseAnimated) doc.kind = ImageKind::kGifAnimation;
    doc.currentFrame = 0;
    SetCurrentPicture(doc, std::move(first), std::move(display));
    ApplyBackgroundColor(doc);
    return true;
  });
  if (!installed.done()) {
    result.error = kMergeNoMemory;
    result.mergeCase = MergeCase::kNone;
  }
  return result;
}

MergeResult MergeAnimations(DocumentState& doc, const MergeSettings& settings,
                            PictureClipboard* clipboard, uint32_t nowTick) {
  MergeOverlay overlay;
  MergeResult result;
  result.error = (settings.flags & kMergeFromClipboard)
                     ? LoadOverlayClipboard(clipboard, doc.frameMax, &overlay)
                     : LoadOverlayFile(settings.path, doc.frameMax, &overlay);
  if (result.error != kMergeOk) return result;
  return MergeIntoDocument(doc, std::move(overlay), settings.flags, settings.x, settings.y,
                           nowTick);
}

}  // namespace zel
