#include "transforms/frame_pass.h"

#include <algorithm>
#include <atomic>
#include <new>
#include <system_error>
#include <thread>

#include "platform/progress.h"

namespace zel {

int FramePassThreads(int requested, int frames) {
  int threads = requested;
  if (threads <= 0) threads = static_cast<int>(std::thread::hardware_concurrency());
  threads = std::clamp(threads, 1, kMaxFrameThreads);
  return std::max(1, std::min(threads, frames));
}

std::optional<std::vector<PackedDib>> TransformEachFrame(const FrameSet& frames,
                                                         const FrameTransform& transform,
                                                         const FramePassOptions& options) {
  const int count = std::clamp(frames.count, 0, frames.capacity());
  std::vector<PackedDib> results;
  try {
    results.resize(static_cast<size_t>(count));
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  std::atomic<int> next{0};
  std::atomic<int> done{0};
  std::atomic<bool> stop{false};
  auto work = [&] {
    for (;;) {
      if (stop.load(std::memory_order_relaxed)) return;
      const int i = next.fetch_add(1);
      if (i >= count) return;
      const PackedDib& image = frames.frame(i).image;
      if (image) results[static_cast<size_t>(i)] = transform(image);
      done.fetch_add(1);
    }
  };

  std::vector<std::thread> workers;
  const int threads = FramePassThreads(options.threads, count);
  for (int t = 1; t < threads; ++t) {
    try {
      workers.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // fewer threads; the calling thread still does the rest
    } catch (const std::bad_alloc&) {
      break;
    }
  }
  // The calling thread works too, and reports between its frames.
  int reported = -1;
  for (;;) {
    if (stop.load()) break;
    const int i = next.fetch_add(1);
    if (i >= count) break;
    const PackedDib& image = frames.frame(i).image;
    if (image) results[static_cast<size_t>(i)] = transform(image);
    reported = done.fetch_add(1) + 1;
    if (options.progress && !options.progress(reported, count)) stop.store(true);
  }
  for (std::thread& w : workers) w.join();
  if (stop.load()) return std::nullopt;
  if (options.progress && reported != count && !options.progress(count, count)) {
    return std::nullopt;
  }
  return results;
}

FrameProgress ProgressOf(ProgressSink& sink) {
  return [&sink](int done, int total) {
    sink.ReportProgress(total > 0 ? static_cast<int>(int64_t{done} * 100 / total) : 100);
    return !sink.TakeCancel();
  };
}

}  // namespace zel
