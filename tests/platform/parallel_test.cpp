#include "platform/parallel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace zel {
namespace {

// Jobs added while earlier ones run: each runs exactly once, and Finish (or the
// destructor) returns only when all have ended, on one thread or several.
TEST(ParallelStream, EveryJobRunsOnceBeforeFinishReturns) {
  for (int workers : {1, 2, 4}) {
    for (bool explicitFinish : {true, false}) {
      SCOPED_TRACE(::testing::Message() << workers << " workers, finish " << explicitFinish);
      SetParallelWorkers(workers);
      std::vector<std::atomic<int>> runs(150);
      {
        ParallelStream stream;
        for (size_t i = 0; i < runs.size(); ++i) {
          stream.Add([&runs, i] {
            if (i % 25 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
            runs[i].fetch_add(1);
          });
        }
        if (explicitFinish) {
          stream.Finish();
          for (const auto& r : runs) ASSERT_EQ(r.load(), 1);
        }
      }
      for (const auto& r : runs) EXPECT_EQ(r.load(), 1);
    }
  }
  SetParallelWorkers(0);
}

// With one worker, or a single job, nothing runs behind the caller's back: the jobs run in
// the order added, on the caller, inside Finish.
TEST(ParallelStream, OneWorkerOrOneJobRunsOnTheCallerInOrder) {
  const struct {
    int workers;
    int jobs;
  } cases[] = {{1, 5}, {2, 1}, {4, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.workers << " workers, " << c.jobs << " jobs");
    SetParallelWorkers(c.workers);
    const std::thread::id caller = std::this_thread::get_id();
    std::vector<int> order;
    bool onCaller = true;
    ParallelStream stream;
    for (int i = 0; i < c.jobs; ++i) {
      stream.Add([&, i] {
        order.push_back(i);
        onCaller = onCaller && std::this_thread::get_id() == caller;
      });
    }
    EXPECT_TRUE(order.empty());
    stream.Finish();
    std::vector<int> expected(static_cast<size_t>(c.jobs));
    for (int i = 0; i < c.jobs; ++i) expected[static_cast<size_t>(i)] = i;
    EXPECT_EQ(order, expected);
    EXPECT_TRUE(onCaller);
  }
  SetParallelWorkers(0);
}

}  // namespace
}  // namespace zel
