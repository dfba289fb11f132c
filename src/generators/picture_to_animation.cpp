#include "generators/picture_to_animation.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <optional>

#include "color/index_color.h"
#include "color/quality_quantizer.h"
#include "document/edit_transaction.h"
#include "generators/effect_warp.h"
#include "platform/parallel.h"
#include "platform/progress.h"
#include "resources/string_table.h"
#include "transforms/sampling.h"

namespace zel {

namespace {

bool IsDepth(const PackedDib& picture, int bits) {
  const auto layout = MappableLayoutOf(picture);
  return layout && layout->bits == bits;
}

// Stored row and column of corner 1..4: top-left, top-right, bottom-left, bottom-right.
void CornerOf(const DibHeader& h, int corner, int32_t* row, int32_t* column) {
  *row = corner <= 2 ? h.height - 1 : 0;
  *column = corner == 2 || corner == 4 ? h.width - 1 : 0;
}

void SetEntry(PackedDib& picture, int32_t index, uint32_t color) {
  picture.ColorTable()[index] =
      Rgbq{static_cast<uint8_t>(color >> 16), static_cast<uint8_t>(color >> 8),
           static_cast<uint8_t>(color), 0};
}

// An 8-bit picture gets its transparent index: the corner pixel's entry, or a slot of its
// own (a new last entry, or the first unused one when the table is full).
Outcome PrepareIndexed(const PackedDib& current, int corner, uint32_t backgroundColor,
                       PreparedSource* out) {
  const Outcome cannot = Outcome::Failed(kMsgCannotConvert);
  if (corner != 0) {
    PackedDib copy = DuplicateBlock(current);
    if (!copy) return cannot;
    int32_t row = 0, column = 0;
    CornerOf(copy.Header(), corner, &row, &column);
    const int32_t t = copy.Pixels()[copy.Stride() * static_cast<size_t>(row) + column];
    if (static_cast<uint32_t>(t) >= copy.ColorCount()) return cannot;
    SetEntry(copy, t, backgroundColor);
    *out = {std::move(copy), t};
    return Outcome::Done();
  }
  // A header without a used-colour count stands for a full table of 256 entries.
  if (current.Header().clrUsed == 0) return cannot;
  PackedDib copy = DuplicateBlock(current);
  if (!copy) return cannot;
  auto slot = AppendTransparentEntry(std::move(copy), backgroundColor);
  if (!slot) return cannot;
  *out = {std::move(slot->picture), slot->transparentIndex};
  return Outcome::Done();
}

bool ValidOptions(const MakeAnimeOptions& o, int frameMax) {
  const int effect = static_cast<int>(o.effect);
  return effect >= 0 && effect < kEffectCount && o.colorCountIndex >= 0 && o.colorCountIndex <= 7 &&
         o.transparentSource >= 0 && o.transparentSource <= 4 && o.frames >= kMakeAnimeFramesMin &&
         o.frames <= kMakeAnimeFramesMax && o.frames <= frameMax &&
         o.timeValue >= kMakeAnimeTimeMin && o.timeValue <= kMakeAnimeTimeMax &&
         o.amplitude >= kAmplitudeMin && o.amplitude <= kAmplitudeMax;
}

}  // namespace

Outcome PrepareSourcePicture(const PackedDib& current, int32_t frameSetTransparentIndex,
                             const MakeAnimeOptions& options, uint32_t backgroundColor,
                             PreparedSource* out) {
  if (!current) return Outcome::Failed(kMsgNoPicture);
  const int corner = std::clamp(options.transparentSource, 0, 4);
  if (IsDepth(current, 8)) {
    if (frameSetTransparentIndex >= 0 && frameSetTransparentIndex <= 255) {
      PackedDib copy = DuplicateBlock(current);
      if (!copy) return Outcome::Failed(kMsgCannotConvert);
      *out = {std::move(copy), frameSetTransparentIndex};
      return Outcome::Done();
    }
    return PrepareIndexed(current, corner, backgroundColor, out);
  }
  // Full colour (a transparent index the frame set may still carry has no picture entry).
  const ColorChoices choices{std::clamp(options.colorCountIndex, 0, 7), corner,
                             (options.flags & kMakeAnimeNoDiffusion) != 0};
  std::optional<IndexConversion> converted =
      options.highQuality ? QualityConvertToIndexColor(current, choices, backgroundColor)
                          : ConvertToIndexColor(current, choices, backgroundColor);
  if (!converted || !converted->picture || converted->transparentIndex < 0) {
    return Outcome::Failed(kMsgCannotConvert);
  }
  *out = {std::move(converted->picture), converted->transparentIndex};
  return Outcome::Done();
}

PackedDib AddDiagonalMargin(const PackedDib& picture, int32_t transparentIndex) {
  const auto layout = MappableLayoutOf(picture);
  if (!layout || layout->bits != 8) return {};
  const int32_t w = layout->width;
  const int32_t h = layout->height;
  if (w < 8 || h < 8) return DuplicateBlock(picture);
  const auto side =
      static_cast<int32_t>(std::sqrt(static_cast<double>(w) * w + static_cast<double>(h) * h));
  PackedDib out = NewPictureLike(picture, side, side);
  if (!out) return out;
  const size_t stride = out.Stride();
  const Fill fill{Rgbq{}, transparentIndex};
  std::memset(out.Pixels(), fill.Index(), stride * static_cast<size_t>(side));
  const int32_t left = (side - w) / 2;
  const int32_t bottom = (side - h) / 2;
  for (int32_t y = 0; y < h; ++y) {
    std::memcpy(out.Pixels() + stride * static_cast<size_t>(y + bottom) + left,
                picture.Pixels() + layout->stride * static_cast<size_t>(y), static_cast<size_t>(w));
  }
  return out;
}

std::vector<int32_t> FrameDelays(int timeValue, int frames, bool perCycle, bool tempo) {
  std::vector<int32_t> delays(static_cast<size_t>(std::max(frames, 0)));
  if (frames <= 0) return delays;
  int32_t t = timeValue;
  if (tempo) t = t > 0 ? 6000 / t : 0;
  if (!perCycle) {
    std::fill(delays.begin(), delays.end(), t);
    return delays;
  }
  const int32_t d = t / frames;
  std::fill(delays.begin(), delays.end(), d);
  delays.back() += t - d * frames;
  return delays;
}

Outcome GenerateAnimation(const PackedDib& current, int32_t frameSetTransparentIndex,
                          uint32_t backgroundColor, const MakeAnimeOptions& options, int frameMax,
                          const MotionPreparation* motion, ProgressSink* sink,
                          GeneratedAnimation* out) {
  if (!current) return Outcome::Failed(kMsgNoPicture);
  if (!ValidOptions(options, frameMax)) return Outcome::Failed(kMsgOutOfRange);
  if (sink) sink->RestartClock();

  PreparedSource source;
  if (const Outcome prepared = PrepareSourcePicture(current, frameSetTransparentIndex, options,
                                                    backgroundColor, &source);
      !prepared.done()) {
    return prepared;
  }
  const int32_t t = source.transparentIndex;
  if (options.flags & kMakeAnimeMargin) {
    source.picture = AddDiagonalMargin(source.picture, t);
    if (!source.picture) return Outcome::Failed(kMsgNoMemory);
  }
  const DibHeader header = source.picture.Header();
  const int32_t w = header.width;
  const int32_t h = header.height;
  const int n = options.frames;

  std::unique_ptr<FrameSet> frames = FrameSet::Create(n);
  if (!frames) return Outcome::Failed(kMsgNoMemory);
  MotionPlacement placement;
  if ((options.flags & kMakeAnimeMotion) && motion && *motion)
    placement = (*motion)(w, h, n, t, backgroundColor);

  const std::vector<FrameStep> steps = EffectSchedule(options.effect, n, options.amplitude / 100.0);
  const Fill fill{ColorFromBackground(backgroundColor), t};
  std::vector<PackedDib> results;
  try {
    results.resize(static_cast<size_t>(n));
  } catch (const std::bad_alloc&) {
    return Outcome::Failed(kMsgNoMemory);
  }
  const PackedDib& p = source.picture;
  {
    ParallelJobs jobs(static_cast<size_t>(n), [&](size_t i) {
      PackedDib frame = ApplyFrameStep(p, steps[i], w, h, fill);
      if (frame && placement) frame = placement(frame, static_cast<int>(i));
      results[i] = std::move(frame);
    });
    for (int i = 0; i < n; ++i) {
      if (sink) {
        sink->ReportProgress(100 * i / n);
        if (sink->TakeCancel()) return Outcome::Cancelled();
      }
      jobs.Wait(static_cast<size_t>(i));
      if (!results[static_cast<size_t>(i)]) return Outcome::Failed(kMsgNoMemory);
    }
  }

  const std::vector<int32_t> delays =
      FrameDelays(options.timeValue, n, (options.flags & kMakeAnimePerCycle) != 0,
                  (options.flags & kMakeAnimeTempo) != 0);
  frames->count = n;
  frames->transparentIndex = t;
  // The screen is the frames' size, as every loaded animation has it.
  frames->screenWidth = w;
  frames->screenHeight = h;
  for (int i = 0; i < n; ++i) {
    frames->frame(i).image = std::move(results[static_cast<size_t>(i)]);
    frames->frame(i).delay = delays[static_cast<size_t>(i)];
  }
  out->frames = std::move(frames);
  out->source = std::move(source.picture);
  return Outcome::Done();
}

void InstallGeneratedAnimation(DocumentState& doc, GeneratedAnimation generated) {
  doc.frameSet->FreeFrames();
  doc.frameSet->Clear();
  doc.frameSet->TakeFrom(*generated.frames);
  doc.kind = ImageKind::kFrameAnimation;
  doc.currentFrame = 0;
  SetCurrentPicture(doc, std::move(generated.source));
}

Outcome MakeAnimation(DocumentState& doc, const MakeAnimeOptions& options,
                      const MotionPreparation* motion, ProgressSink* sink, uint32_t nowTick) {
  if (!doc.currentPicture) return Outcome::Failed(kMsgNoPicture);
  if (!doc.frameSet) return Outcome::Failed(kMsgNoMemory);
  EditTransaction edit(doc, kUndoMakeAnime, PlaybackRule::kRestart, nowTick);
  const int frameMax = std::min(doc.frameMax, doc.frameSet->capacity());
  GeneratedAnimation generated;
  const Outcome result =
      GenerateAnimation(doc.currentPicture, doc.frameSet->transparentIndex, doc.backgroundColor,
                        options, frameMax, motion, sink, &generated);
  if (!result.done()) return result;
  return edit.Commit([&] {
    InstallGeneratedAnimation(doc, std::move(generated));
    return true;
  });
}

}  // namespace zel
