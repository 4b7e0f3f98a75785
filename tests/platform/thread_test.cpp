// Threads: a suspended thread runs only after ResumeThread, exit codes read as still active while it
// runs, priority and processor can be set, and a closed handle lets a running thread finish alone.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <atomic>

#include "platform/os/clock.h"
#include "platform/os/thread.h"

namespace {

struct Probe {
    std::atomic<int> ran{0};
    std::atomic<int> release{0};
    std::atomic<int> nice{-100};
};

int RunProbe(void* raw) {
    Probe* probe = static_cast<Probe*>(raw);
    probe->ran = 1;
    probe->nice = getpriority(PRIO_PROCESS, 0);  // the calling thread's nice value on Linux
    while (!probe->release) SleepMs(1);
    return 42;
}

int ReturnSeven(void*) { return 7; }

}  // namespace

TEST(Thread, SuspendedThreadRunsAfterResumeAndReportsItsExitCode) {
    Probe probe;
    ThreadHandle thread = StartThread(RunProbe, &probe, 1);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(SetThreadBelowNormalPriority(thread), 1);
    SleepMs(30);
    EXPECT_EQ(probe.ran.load(), 0);
    int code = 0;
    ASSERT_EQ(GetThreadExitCode(thread, &code), 1);
    EXPECT_EQ(code, kThreadStillActive);
    EXPECT_EQ(ResumeThread(thread), 1);
    EXPECT_EQ(ResumeThread(thread), 0);
    for (int i = 0; i < 500 && !probe.ran; ++i) SleepMs(2);
    EXPECT_EQ(probe.ran.load(), 1);
    EXPECT_GT(probe.nice.load(), getpriority(PRIO_PROCESS, 0));
    probe.release = 1;
    for (int i = 0; i < 500; ++i) {
        GetThreadExitCode(thread, &code);
        if (code != kThreadStillActive) break;
        SleepMs(2);
    }
    EXPECT_EQ(code, 42);
    ASSERT_EQ(JoinThread(thread, &code), 1);
    EXPECT_EQ(code, 42);
}

TEST(Thread, JoinResumesAndClosedHandlesCleanUp) {
    int code = 0;
    ThreadHandle suspended = StartThread(ReturnSeven, nullptr, 1);
    ASSERT_EQ(JoinThread(suspended, &code), 1);
    EXPECT_EQ(code, 7);

    Probe probe;
    ThreadHandle running = StartThread(RunProbe, &probe, 0);
    ASSERT_NE(running, nullptr);
    EXPECT_EQ(SetThreadPreferredProcessor(running, 0), 1);
    EXPECT_EQ(SetThreadPreferredProcessor(running, GetProcessorCount()), 0);
    CloseThreadHandle(running);  // still running: it frees its own record when it ends
    probe.release = 1;
    ThreadHandle finished = StartThread(ReturnSeven, nullptr, 0);
    SleepMs(20);
    CloseThreadHandle(finished);  // already ended: freed here
    SleepMs(20);
    EXPECT_GE(GetProcessorCount(), 1);
    EXPECT_EQ(StartThread(nullptr, nullptr, 0), nullptr);
    EXPECT_EQ(JoinThread(nullptr, &code), 0);
}
