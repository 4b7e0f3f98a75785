// The pool of cutting threads: every task of a round runs exactly once on a worker below the
// thread count, whatever the mix of spread and ordered tasks, and an ordered task starts only once
// every spread task has been drawn, so that it may wait for them to end (the kernel's sums do).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "simulation/cut_thread_pool.h"

namespace {

struct Round {
    int taskCount;
    int spreadCount;
    int threads;
    std::vector<std::atomic<int>> runs;
    std::atomic<int> spreadDone{0};
    std::atomic<int> badWorker{0};
    std::atomic<int> waitedInVain{0};

    Round(int tasks, int spread, int threadCount)
        : taskCount(tasks), spreadCount(spread), threads(threadCount), runs(size_t(tasks))
    {
        for (std::atomic<int>& r : runs) r.store(0);
    }
};

void RunTask(int task, int worker, void* context)
{
    Round* round = static_cast<Round*>(context);
    if (worker < 0 || worker >= round->threads) round->badWorker.fetch_add(1);
    const int spread = std::min(std::max(round->spreadCount, 0), round->taskCount);
    if (task < spread) {
        // A little work, so that the workers overlap.
        volatile double x = 0.0;
        for (int k = 0; k < 200 * (task % 7 + 1); k++) x = x + 1.0;
        round->spreadDone.fetch_add(1);
    } else {
        // Waits for every spread task to end: a spread task not drawn yet would never end here.
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (round->spreadDone.load() != spread) {
            if (std::chrono::steady_clock::now() > limit) {
                round->waitedInVain.fetch_add(1);
                break;
            }
            std::this_thread::yield();
        }
    }
    round->runs[size_t(task)].fetch_add(1);
}

TEST(CutThreadPool, EveryTaskRunsOnceAndOrderedTasksFollowTheSpreadOnes)
{
    struct Case {
        int tasks, spread;
    };
    const Case cases[] = {{1, 1}, {1, 0}, {3, 3}, {7, 4}, {100, 97}, {257, 256}, {64, 0}, {50, 80}, {9, -1}};
    for (int threads : {1, 2, 3, 8}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << threads << " threads, " << c.tasks << " tasks, " << c.spread
                                            << " spread");
            for (int repeat = 0; repeat < 20; repeat++) {
                Round round(c.tasks, c.spread, threads);
                RunCutTasks(c.tasks, c.spread, threads, RunTask, &round);
                int wrong = 0;
                for (const std::atomic<int>& r : round.runs) wrong += r.load() != 1;
                ASSERT_EQ(wrong, 0);
                ASSERT_EQ(round.badWorker.load(), 0);
                ASSERT_EQ(round.waitedInVain.load(), 0);
            }
        }
    }
    StopCutThreads();
}

}  // namespace
