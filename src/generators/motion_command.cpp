#include "generators/motion_command.h"

#include <algorithm>
#include <atomic>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "generators/motion_placement.h"
#include "resources/string_table.h"
#include "transforms/frame_pass.h"
#include "transforms/image_commands.h"

namespace zel {

bool CanMoveAnimation(const DocumentState& doc) {
  return IsAnimation(doc.kind) && doc.frameSet && doc.frameSet->count > 0 && doc.currentPicture &&
         !(doc.flags & kFlagBusy);
}

namespace {

int MovePrepared(DocumentState& doc, const std::optional<MotionChoice>& choice, uint32_t nowTick,
                 int threads) {
  if (!CanMoveAnimation(doc) || !choice) return kNothingDone;
  FrameSet& frames = *doc.frameSet;
  const int count = std::clamp(frames.count, 0, frames.capacity());
  const DibHeader header = doc.currentPicture.Header();
  std::optional<PreparedMotion> motion = PrepareMotion(*choice, header.width, header.height, count);
  if (!motion) return kNothingDone;

  doc.flags |= kFlagBusy;
  const auto clearBusy = [&doc] { doc.flags &= ~static_cast<uint32_t>(kFlagBusy); };
  std::vector<PackedDib> results;
  try {
    results.resize(static_cast<size_t>(count));
  } catch (const std::bad_alloc&) {
    clearBusy();
    return kMsgNoMemory;
  }
  const uint32_t fill = doc.backgroundColor;
  const int transparent = frames.transparentIndex;
  std::atomic<int> next{0};
  auto work = [&] {
    for (int i = next.fetch_add(1); i < count; i = next.fetch_add(1)) {
      const PackedDib& image = frames.frame(i).image;
      if (image)
        results[static_cast<size_t>(i)] = PlaceMotion(*motion, image, i, fill, transparent);
    }
  };
  std::vector<std::thread> workers;
  const int threadCount = FramePassThreads(threads, count);
  for (int t = 1; t < threadCount; ++t) {
    try {
      workers.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // fewer threads; the calling thread does the rest
    } catch (const std::bad_alloc&) {
      break;
    }
  }
  work();
  for (std::thread& worker : workers) worker.join();

  // Every frame must have its placement: a frame left behind would break the motion.
  for (int i = 0; i < count; ++i) {
    if (frames.frame(i).image && !results[static_cast<size_t>(i)]) {
      clearBusy();
      return kMsgNoMemory;
    }
  }
  PackedDib shown = DuplicateBlock(results[0]);
  if (!shown) {
    clearBusy();
    return kMsgNoMemory;
  }
  doc.undo.TakeSnapshot(doc, kUndoEdit);
  for (int i = 0; i < count; ++i) {
    if (results[static_cast<size_t>(i)])
      frames.frame(i).image = std::move(results[static_cast<size_t>(i)]);
  }
  SetCurrentPicture(doc, std::move(shown));
  RestartPlayback(doc, nowTick);
  clearBusy();
  return kCommandDone;
}

}  // namespace

int MoveAnimation(DocumentState& doc, const MotionDefinitions& defs, uint32_t nowTick,
                  int threads) {
  return MovePrepared(doc, SelectedMotion(defs), nowTick, threads);
}

int MoveAnimation(DocumentState& doc, const MotionChoice& choice, uint32_t nowTick, int threads) {
  return MovePrepared(doc, choice, nowTick, threads);
}

}  // namespace zel
