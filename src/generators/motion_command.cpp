#include "generators/motion_command.h"

#include <algorithm>
#include <atomic>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "document/edit_transaction.h"
#include "generators/motion_placement.h"
#include "resources/string_table.h"
#include "transforms/frame_pass.h"
#include "transforms/image_commands.h"

namespace zel {

bool CanMoveAnimation(const DocumentState& doc) {
  return IsAnimation(doc.kind) && doc.frameSet && doc.frameSet->count > 0 && doc.currentPicture &&
         !IsDocumentBusy(doc);
}

std::vector<PackedDib> PlaceEveryFrame(const PreparedMotion& motion, const FrameSet& frames,
                                       uint32_t fillColorRef, int transparentIndex, int threads) {
  const int count = std::clamp(frames.count, 0, frames.capacity());
  std::vector<PackedDib> results;
  try {
    results.resize(static_cast<size_t>(count));
  } catch (const std::bad_alloc&) {
    return {};
  }
  std::atomic<int> next{0};
  auto work = [&] {
    for (int i = next.fetch_add(1); i < count; i = next.fetch_add(1)) {
      const PackedDib& image = frames.frame(i).image;
      if (image) {
        results[static_cast<size_t>(i)] =
            PlaceMotion(motion, image, i, fillColorRef, transparentIndex);
      }
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
  return results;
}

namespace {

Outcome MovePrepared(DocumentState& doc, const std::optional<MotionChoice>& choice,
                     uint32_t nowTick, int threads) {
  if (!CanMoveAnimation(doc) || !choice) return Outcome::NothingDone();
  FrameSet& frames = *doc.frameSet;
  const int count = std::clamp(frames.count, 0, frames.capacity());
  const DibHeader header = doc.currentPicture.Header();
  std::optional<PreparedMotion> motion = PrepareMotion(*choice, header.width, header.height, count);
  if (!motion) return Outcome::NothingDone();

  EditTransaction edit(doc, kUndoEdit, PlaybackRule::kRestart, nowTick);
  std::vector<PackedDib> results =
      PlaceEveryFrame(*motion, frames, doc.backgroundColor, frames.transparentIndex, threads);
  if (results.size() != static_cast<size_t>(count)) return Outcome::Failed(kMsgNoMemory);

  // Every frame must have its placement: a frame left behind would break the motion.
  for (int i = 0; i < count; ++i) {
    if (frames.frame(i).image && !results[static_cast<size_t>(i)]) {
      return Outcome::Failed(kMsgNoMemory);
    }
  }
  PackedDib shown = DuplicateBlock(results[0]);
  if (!shown) return Outcome::Failed(kMsgNoMemory);
  return edit.Commit([&] {
    for (int i = 0; i < count; ++i) {
      if (results[static_cast<size_t>(i)])
        frames.frame(i).image = std::move(results[static_cast<size_t>(i)]);
    }
    SetCurrentPicture(doc, std::move(shown));
    return true;
  });
}

}  // namespace

Outcome MoveAnimation(DocumentState& doc, const MotionDefinitions& defs, uint32_t nowTick,
                      int threads) {
  return MovePrepared(doc, SelectedMotion(defs), nowTick, threads);
}

Outcome MoveAnimation(DocumentState& doc, const MotionChoice& choice, uint32_t nowTick,
                      int threads) {
  return MovePrepared(doc, choice, nowTick, threads);
}

}  // namespace zel
