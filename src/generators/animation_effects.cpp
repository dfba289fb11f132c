#include "generators/animation_effects.h"

#include <algorithm>
#include <new>
#include <vector>

#include "document/edit_transaction.h"
#include "generators/effect_warp.h"
#include "generators/picture_to_animation.h"
#include "platform/parallel.h"
#include "platform/progress.h"
#include "resources/string_table.h"
#include "transforms/sampling.h"

namespace zel {

Outcome RunAnimationEffect(DocumentState& doc, const AnimationEffectOptions& options,
                           ProgressSink* sink, uint32_t nowTick) {
  if (!IsAnimation(doc.kind) || !doc.frameSet) return Outcome::Failed(kMsgOutOfRange);
  FrameSet& frames = *doc.frameSet;
  const int n = std::min(frames.count, frames.capacity());
  const int effect = static_cast<int>(options.effect);
  if (n < 4 || effect < 1 || effect >= kEffectCount || options.amplitude < kAmplitudeMin ||
      options.amplitude > kAmplitudeMax) {
    return Outcome::Failed(kMsgOutOfRange);
  }
  EditTransaction edit(doc, kUndoEdit, PlaybackRule::kRestart, nowTick);
  if (sink) sink->DisableCancel();
  const std::vector<FrameStep> steps = EffectSchedule(options.effect, n, options.amplitude / 100.0);
  const Fill fill{ColorFromBackground(doc.backgroundColor), frames.transparentIndex};
  const int32_t w = doc.width;
  const int32_t h = doc.height;
  std::vector<PackedDib> results;
  try {
    results.resize(static_cast<size_t>(n));
  } catch (const std::bad_alloc&) {
    return Outcome::Failed(kMsgNoMemory);
  }
  {
    ParallelJobs jobs(static_cast<size_t>(n), [&](size_t i) {
      const FrameStep& step = steps[i];
      const PackedDib& image = frames.frame(static_cast<int>(i)).image;
      if (step.warp != WarpKind::kNone && image) {
        results[i] = ApplyFrameStep(image, step, w, h, fill);
      }
    });
    for (int i = 0; i < n; ++i) {
      if (sink) sink->ReportProgress(100 * i / n);
      jobs.Wait(static_cast<size_t>(i));
    }
  }
  return edit.Commit([&] {
    for (int i = 0; i < n; ++i) {
      PackedDib& result = results[static_cast<size_t>(i)];
      if (result) frames.frame(i).image = std::move(result);
    }
    if (frames.frame(0).image) SetCurrentPicture(doc, DuplicateBlock(frames.frame(0).image));
    return true;
  });
}

}  // namespace zel
