// The optimised GIF save: every frame after the first is written as the smallest rectangle
// that differs from what the frames before it leave on the screen, so that any GIF89a
// reader shows exactly the frames the normal save shows, in a smaller file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/frame_set.h"
#include "platform/progress.h"

namespace zel {

// Frame placement and disposal chosen by the optimiser, for tests and the documentation.
struct OptimizedFramePlan {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  bool restoreBackground = false;  // disposal 2 instead of 1 ("do not dispose")
  bool transparentFill = false;    // unchanged pixels written as the transparent index
};

// Builds the optimised file in memory. Returns the codes of BuildGifFile. A single
// picture, and a FrameSet with a palette per frame, are written as the normal save
// writes them. `plan`, when given, receives the choice made for every frame.
int BuildOptimizedGifFile(const FrameSet& frames, ProgressSink* progress, std::vector<uint8_t>& out,
                          std::vector<OptimizedFramePlan>* plan = nullptr);

// Builds the optimised file and writes it atomically.
int WriteOptimizedGifFile(const FrameSet& frames, const std::string& path, ProgressSink* progress);

}  // namespace zel
