// The pool of cutting threads. The caller opens a round (a number, the workers allowed, the tasks),
// wakes the workers and draws tasks itself; a worker that sees the round while it is open joins it
// and draws tasks too. When the tasks are gone the caller closes the round and waits only for the
// workers that joined, so a worker that the system has not scheduled in time costs nothing. Workers
// spin on the round counter for a short while before they sleep on a condition variable, so that
// positions following each other closely do not pay for a wake-up.
#include "simulation/cut_thread_pool.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/os/thread.h"

namespace {

const int kMaxCutThreads = 64;
const int kSpinRounds = 2000;           // checks of the round counter before a worker sleeps
const int kYieldEvery = 64;             // a waiting thread gives its processor away this often
const uint64_t kRoundClosed = 1u << 15;  // in `entry`: no worker may join any more
const uint64_t kJoinedMask = kRoundClosed - 1;

struct CutThreadPool {
    std::vector<std::thread> threads;  // workers 1 .. size
    std::mutex mutex;
    std::condition_variable wake;
    // Round number x 256 + the workers allowed in it (worker indices below that take part).
    std::atomic<uint64_t> round{0};
    // Round number x 65536 + kRoundClosed once closed + the workers that joined it.
    std::atomic<uint64_t> entry{0};
    std::atomic<int> sleepers{0};
    std::atomic<bool> quit{false};
    // The current round, written by the caller before it opens the round; stable until every
    // worker that joined has finished.
    int taskCount = 0;
    int runCount = 0;  // runs of spread tasks: one per worker allowed
    CutTaskProcedure procedure = nullptr;
    void* context = nullptr;
    // The spread tasks in runs of consecutive tasks, each with the next task to draw (on its own
    // cache line: its worker draws from it while the others work on theirs).
    struct alignas(64) TaskRun {
        std::atomic<int> next{0};
        int end = 0;
    };
    TaskRun runs[kMaxCutThreads];
    alignas(64) std::atomic<int> nextTask{0};  // the tasks after the spread ones
    alignas(64) std::atomic<int> finishedWorkers{0};
};

CutThreadPool* s_Pool = nullptr;
bool s_ExitHandlerSet = false;

// A pause while spinning; now and then the processor is given to another thread ready to run
// there, so that on a busy machine a worker holding a task is not kept waiting by those waiting
// for it.
void PauseInSpin(int spin);

inline void PauseBriefly()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
}

void PauseInSpin(int spin)
{
    if (spin % kYieldEvery == kYieldEvery - 1)
        std::this_thread::yield();
    else
        PauseBriefly();
}

// A worker draws from its own run first, then from the others' in turn (a run once found empty
// stays empty), then the tasks after the spread ones.
void RunRoundTasks(CutThreadPool* pool, int worker)
{
    const int runCount = pool->runCount;
    for (int i = 0; i < runCount; i++) {
        CutThreadPool::TaskRun& run = pool->runs[(worker + i) % runCount];
        for (;;) {
            const int task = run.next.fetch_add(1);
            if (task >= run.end) break;
            pool->procedure(task, worker, pool->context);
        }
    }
    for (;;) {
        const int task = pool->nextTask.fetch_add(1);
        if (task >= pool->taskCount) return;
        pool->procedure(task, worker, pool->context);
    }
}

// Waits until the round value differs from seen or the pool quits; returns the new value.
uint64_t WaitForRound(CutThreadPool* pool, uint64_t seen)
{
    for (int spin = 0; spin < kSpinRounds; spin++) {
        const uint64_t round = pool->round.load();
        if (round != seen || pool->quit.load()) return round;
        PauseInSpin(spin);
    }
    std::unique_lock<std::mutex> lock(pool->mutex);
    pool->sleepers.fetch_add(1);
    pool->wake.wait(lock, [&] { return pool->round.load() != seen || pool->quit.load(); });
    pool->sleepers.fetch_sub(1);
    return pool->round.load();
}

// Joins round number `number` while it is open. Returns true when joined.
bool JoinRound(CutThreadPool* pool, uint64_t number)
{
    uint64_t entry = pool->entry.load();
    while ((entry >> 16) == number && !(entry & kRoundClosed)) {
        if (pool->entry.compare_exchange_weak(entry, entry + 1)) return true;
    }
    return false;
}

// Wakes one sleeping worker, if any.
void WakeOneSleeper(CutThreadPool* pool)
{
    if (pool->sleepers.load() <= 0) return;
    { std::lock_guard<std::mutex> lock(pool->mutex); }
    pool->wake.notify_one();
}

void RunWorker(CutThreadPool* pool, int worker)
{
    uint64_t seen = 0;
    for (;;) {
        seen = WaitForRound(pool, seen);
        if (pool->quit.load()) return;
        // The wake-up passes on from worker to worker while the round is open, so that the caller
        // pays for one wake-up and not for one per sleeping worker.
        if (!(pool->entry.load() & kRoundClosed)) WakeOneSleeper(pool);
        if (worker >= int(seen & 255) || !JoinRound(pool, seen >> 8)) continue;
        RunRoundTasks(pool, worker);
        pool->finishedWorkers.fetch_add(1);
    }
}

void StopPoolAtExit()
{
    StopCutThreads();
}

// The pool with at least `workers` workers (the caller included), or null when no thread starts.
CutThreadPool* ProvidePool(int workers)
{
    if (s_Pool && int(s_Pool->threads.size()) + 1 >= workers) return s_Pool;
    StopCutThreads();
    if (!s_ExitHandlerSet) {
        std::atexit(StopPoolAtExit);
        s_ExitHandlerSet = true;
    }
    CutThreadPool* pool = new CutThreadPool;
    try {
        for (int w = 1; w < workers; w++) pool->threads.emplace_back(RunWorker, pool, w);
    } catch (...) {
        // Fewer threads than asked: the pool works with those it has.
    }
    s_Pool = pool;
    return pool;
}

}  // namespace

void PauseCutThread(int spin)
{
    PauseInSpin(spin);
}

int ResolveCutThreadCount(int setting)
{
    int count = setting > 0 ? setting : GetProcessorCount();
    if (count < 1) count = 1;
    return count > kMaxCutThreads ? kMaxCutThreads : count;
}

void RunCutTasks(int taskCount, int spreadCount, int threads, CutTaskProcedure procedure, void* context)
{
    if (taskCount <= 0) return;
    spreadCount = std::min(std::max(spreadCount, 0), taskCount);
    if (threads > taskCount) threads = taskCount;
    CutThreadPool* pool = threads > 1 ? ProvidePool(threads) : nullptr;
    if (!pool || pool->threads.empty()) {
        for (int task = 0; task < taskCount; task++) procedure(task, 0, context);
        return;
    }
    const int workers = std::min(threads, int(pool->threads.size()) + 1);
    pool->taskCount = taskCount;
    pool->procedure = procedure;
    pool->context = context;
    pool->runCount = workers;
    for (int w = 0; w < workers; w++) {
        pool->runs[w].next.store(int(int64_t(spreadCount) * w / workers));
        pool->runs[w].end = int(int64_t(spreadCount) * (w + 1) / workers);
    }
    pool->nextTask.store(spreadCount);
    pool->finishedWorkers.store(0);
    const uint64_t number = (pool->round.load() >> 8) + 1;
    pool->entry.store(number << 16);
    pool->round.store(number << 8 | uint64_t(workers));
    WakeOneSleeper(pool);
    RunRoundTasks(pool, 0);
    const int joined = int(pool->entry.fetch_or(kRoundClosed) & kJoinedMask);
    for (int spin = 0; pool->finishedWorkers.load() < joined; spin++) {
        if (spin < kSpinRounds) PauseInSpin(spin);
        else std::this_thread::yield();
    }
}

void StopCutThreads()
{
    CutThreadPool* pool = s_Pool;
    if (!pool) return;
    s_Pool = nullptr;
    {
        std::lock_guard<std::mutex> lock(pool->mutex);
        pool->quit.store(true);
    }
    pool->wake.notify_all();
    for (std::thread& thread : pool->threads) thread.join();
    delete pool;
}
