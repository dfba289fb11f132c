#include "app/tools/tool_session.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "platform/progress.h"

namespace zel {

int FrameWorkerCount(int frames) {
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  return std::max(1, std::min({static_cast<int>(cores), 2, frames}));
}

int TransformEveryFrame(FrameSet& frames, const PictureTransform& transform, int threads,
                        ProgressSink* progress) {
  const int count = std::clamp(frames.count, 0, frames.capacity());
  std::vector<PackedDib> results(static_cast<size_t>(count));
  std::atomic<int> next{0};
  std::atomic<int> done{0};
  std::mutex mutex;
  std::condition_variable finished;

  auto work = [&] {
    for (int i = next++; i < count; i = next++) {
      const PackedDib& image = frames.frame(i).image;
      if (image) results[static_cast<size_t>(i)] = transform(image);
      if (++done == count) {
        std::lock_guard<std::mutex> lock(mutex);
        finished.notify_all();
      }
    }
  };

  threads = std::clamp(threads, 1, std::max(1, count));
  if (threads == 1) {
    for (int i = 0; i < count; ++i) {
      const PackedDib& image = frames.frame(i).image;
      if (image) results[static_cast<size_t>(i)] = transform(image);
      if (progress) progress->ReportProgress(100 * (i + 1) / count);
    }
  } else {
    std::vector<std::thread> workers;
    workers.reserve(static_cast<size_t>(threads));
    for (int t = 0; t < threads; ++t) workers.emplace_back(work);
    {
      std::unique_lock<std::mutex> lock(mutex);
      while (done < count) {
        finished.wait_for(lock, std::chrono::milliseconds(50));
        if (progress) {
          lock.unlock();
          progress->ReportProgress(100 * done / count);
          lock.lock();
        }
      }
    }
    for (std::thread& worker : workers) worker.join();
  }

  int changed = 0;
  for (int i = 0; i < count; ++i) {
    PackedDib& result = results[static_cast<size_t>(i)];
    if (!result) continue;
    frames.frame(i).image = std::move(result);
    ++changed;
  }
  return changed;
}

ToolSession::ToolSession(DocumentState& doc) : doc_(doc) {}

ToolSession::~ToolSession() {
  if (open_) Cancel();
}

bool ToolSession::Open() {
  if (open_ || !doc_.currentPicture) return false;
  doc_.toolSource = DuplicateBlock(doc_.currentPicture);
  if (!doc_.toolSource) return false;
  open_ = true;
  changed_ = false;
  return true;
}

bool ToolSession::ShowPreview(PackedDib preview) {
  if (!open_ || !preview) return false;
  if (!SetCurrentPicture(doc_, std::move(preview))) return false;
  changed_ = true;
  return true;
}

ToolSession::Outcome ToolSession::Ok(int32_t undoClass, const PictureTransform& transform,
                                     int threads, ProgressSink* progress) {
  if (!open_) return Outcome::kUnchanged;
  if (!changed_) {
    Close();
    return Outcome::kUnchanged;
  }
  // The snapshot records the source copy as the picture before the tool.
  doc_.undo.TakeSnapshot(doc_, undoClass);
  Outcome outcome = Outcome::kApplied;
  if (IsAnimation(doc_.kind) && doc_.frameSet && doc_.frameSet->count > 0) {
    TransformEveryFrame(*doc_.frameSet, transform, threads, progress);
    PackedDib first = DuplicateBlock(doc_.frameSet->frame(0).image);
    if (!first || !SetCurrentPicture(doc_, std::move(first))) {
      SetCurrentPicture(doc_, DuplicateBlock(doc_.toolSource));
    }
  } else {
    PackedDib result = transform(doc_.toolSource);
    if (!result || !SetCurrentPicture(doc_, std::move(result))) {
      SetCurrentPicture(doc_, std::move(doc_.toolSource));
      outcome = Outcome::kFailed;
    }
  }
  Close();
  return outcome;
}

void ToolSession::Cancel() {
  if (!open_) return;
  if (changed_) SetCurrentPicture(doc_, std::move(doc_.toolSource));
  Close();
}

void ToolSession::Close() {
  doc_.toolSource.Reset();
  open_ = false;
  changed_ = false;
}

void RestartPlaybackAfterTool(DocumentState& doc, uint32_t nowTick) {
  if (!IsAnimation(doc.kind)) return;
  doc.flags &= ~static_cast<uint32_t>(kFlagStopped | kFlagStep);
  doc.lastFrameTick = nowTick;
  doc.currentFrame = 0;
}

}  // namespace zel
