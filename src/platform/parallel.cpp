#include "platform/parallel.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <new>
#include <system_error>

namespace zel {
namespace {

std::atomic<int> workerLimit{0};

}  // namespace

int ParallelWorkers() {
  int limit = workerLimit.load(std::memory_order_relaxed);
  if (limit > 0) return limit;
  unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(std::min(cores, 64u));
}

void SetParallelWorkers(int workers) {
  workerLimit.store(std::max(workers, 0), std::memory_order_relaxed);
}

ParallelJobs::ParallelJobs(size_t count, std::function<void(size_t)> work)
    : count_(count), work_(std::move(work)), finished_(count, 0) {
  size_t workers = std::min<size_t>(static_cast<size_t>(ParallelWorkers()), count);
  if (workers < 2) return;
  try {
    threads_.reserve(workers);
    for (size_t t = 0; t < workers; ++t) threads_.emplace_back([this] { Run(); });
  } catch (const std::system_error&) {
    // Whatever threads started keep working; Wait runs the rest here.
  }
}

ParallelJobs::~ParallelJobs() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  for (std::thread& thread : threads_) thread.join();
}

void ParallelJobs::Run() {
  for (;;) {
    size_t item;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stop_ || next_ >= count_) return;
      item = next_++;
    }
    work_(item);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      finished_[item] = 1;
    }
    done_.notify_all();
  }
}

void ParallelJobs::Wait(size_t i) {
  if (i >= count_) return;
  std::unique_lock<std::mutex> lock(mutex_);
  // Items nobody has started yet up to i run here, in order.
  while (next_ <= i) {
    size_t item = next_++;
    lock.unlock();
    work_(item);
    lock.lock();
    finished_[item] = 1;
  }
  done_.wait(lock, [&] { return finished_[i] != 0; });
}

void ParallelFor(size_t count, const std::function<void(size_t)>& work) {
  ParallelJobs jobs(count, work);
  for (size_t i = 0; i < count; ++i) jobs.Wait(i);
}

ParallelStream::ParallelStream() = default;

ParallelStream::~ParallelStream() {
  Finish();
}

void ParallelStream::Add(std::function<void()> job) {
  if (!threadsStarted_ && !queue_.empty()) {
    // The threads start with the second job (a single job runs on the caller, without the
    // cost of a thread); the caller is the last of the workers.
    threadsStarted_ = true;
    const int helpers = ParallelWorkers() - 1;
    try {
      threads_.reserve(static_cast<size_t>(std::max(helpers, 0)));
      for (int t = 0; t < helpers; ++t) threads_.emplace_back([this] { Run(); });
    } catch (const std::exception&) {
      // Whatever threads started take jobs; Finish runs the rest here.
    }
  }
  try {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(std::move(job));
  } catch (const std::bad_alloc&) {
    job();
    return;
  }
  changed_.notify_one();
}

bool ParallelStream::TakeJob(std::function<void()>& job) {
  if (queue_.empty()) return false;
  job = std::move(queue_.front());
  queue_.pop_front();
  return true;
}

void ParallelStream::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return !queue_.empty() || finishing_; });
    std::function<void()> job;
    if (!TakeJob(job)) return;  // finishing, and nothing left
    ++running_;
    lock.unlock();
    job();
    job = nullptr;
    lock.lock();
    --running_;
    if (finishing_ && running_ == 0 && queue_.empty()) changed_.notify_all();
  }
}

void ParallelStream::Finish() {
  std::unique_lock<std::mutex> lock(mutex_);
  finishing_ = true;
  changed_.notify_all();
  std::function<void()> job;
  while (TakeJob(job)) {
    lock.unlock();
    job();
    job = nullptr;
    lock.lock();
  }
  changed_.wait(lock, [&] { return running_ == 0; });
  lock.unlock();
  for (std::thread& thread : threads_) thread.join();
  threads_.clear();
}

}  // namespace zel
