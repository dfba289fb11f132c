// One transform applied to the picture of every frame of an animation. Frames are
// independent, so a small pool of worker threads shares them out; each result is stored at
// its frame's place, so the outcome is the same as one thread's.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "document/frame_set.h"
#include "document/packed_dib.h"

namespace zel {

class ProgressSink;

// Must not touch shared state: it runs on several threads at once.
using FrameTransform = std::function<PackedDib(const PackedDib&)>;

// Called on the calling thread only, with the frames done so far; false cancels the pass.
using FrameProgress = std::function<bool(int done, int total)>;

struct FramePassOptions {
  int threads = 0;  // 0: one per core, at most kMaxFrameThreads
  FrameProgress progress;
};

constexpr int kMaxFrameThreads = 8;

// The threads a pass uses for `frames` frames when asked for `requested` (0 = per core).
int FramePassThreads(int requested, int frames);

// The results of `transform` on frames 0..count-1 in frame order (null where it failed),
// or nullopt when the pass was cancelled or memory ran short.
std::optional<std::vector<PackedDib>> TransformEachFrame(const FrameSet& frames,
                                                         const FrameTransform& transform,
                                                         const FramePassOptions& options = {});

// A progress callback that reports percent to `sink` and cancels when its user asks.
FrameProgress ProgressOf(ProgressSink& sink);

}  // namespace zel
