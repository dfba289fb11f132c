// Independent jobs over many items (frames, mostly) on the machine's cores, with the
// results handed back in index order on the calling thread.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace zel {

// The number of threads parallel work uses: the machine's cores unless limited.
int ParallelWorkers();
// Limits parallel work to `workers` threads (1 runs everything on the calling thread);
// 0 goes back to one thread per core. For measurements and for tests that compare one
// thread with several.
void SetParallelWorkers(int workers);

// Runs `work(i)` for every i in [0, count) on worker threads, in any order. The caller
// takes the results in order with Wait(i). Destroying the jobs stops the items not yet
// started and waits for the running ones. With one worker, or when no thread can be
// started, every item runs on the calling thread inside Wait.
class ParallelJobs {
 public:
  ParallelJobs(size_t count, std::function<void(size_t)> work);
  ~ParallelJobs();
  ParallelJobs(const ParallelJobs&) = delete;
  ParallelJobs& operator=(const ParallelJobs&) = delete;

  // Blocks until item i is done (running it here when no worker does).
  void Wait(size_t i);

 private:
  void Run();

  size_t count_;
  std::function<void(size_t)> work_;
  std::mutex mutex_;
  std::condition_variable done_;
  size_t next_ = 0;  // the next item nobody has started
  bool stop_ = false;
  std::vector<char> finished_;
  std::vector<std::thread> threads_;
};

// Runs `work(i)` for every i in [0, count) and returns when all are done.
void ParallelFor(size_t count, const std::function<void(size_t)>& work);

// Jobs handed over one by one while the caller is still finding them (the frames of a file
// being parsed, say): they start in the order added, on ParallelWorkers() - 1 worker
// threads (started with the second job) while the caller goes on, and on the caller too
// once it calls Finish. With one worker, a single job, or when no thread can be started,
// every job runs on the caller inside Finish.
class ParallelStream {
 public:
  ParallelStream();
  // Finishes first.
  ~ParallelStream();
  ParallelStream(const ParallelStream&) = delete;
  ParallelStream& operator=(const ParallelStream&) = delete;

  // Queues a job; when memory is too short to queue it, it runs here and now.
  void Add(std::function<void()> job);
  // Runs the jobs nobody has started here and returns when every job has ended.
  void Finish();

 private:
  void Run();
  // Takes the next job not yet started, if any (the lock is held).
  bool TakeJob(std::function<void()>& job);

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::function<void()>> queue_;
  size_t running_ = 0;  // jobs started on worker threads and not yet ended
  bool finishing_ = false;
  bool threadsStarted_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace zel
