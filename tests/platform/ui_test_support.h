// Helpers of the event-core tests: a fixture that starts and stops the core around each test, a
// watchdog that ends a stuck message loop, and a small recording window procedure.
#pragma once
#include <gtest/gtest.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>
#include "platform/ui/event_core.h"

constexpr int kWatchdogExitCode = -99;

// Posts a quit request with kWatchdogExitCode when not cancelled within timeoutMs, so that a loop
// waiting for something that never happens still ends and the test fails instead of hanging.
struct Watchdog {
    std::mutex lock;
    std::condition_variable cancelled;
    bool done = false;
    std::atomic<int> fired{0};
    std::thread thread;

    explicit Watchdog(unsigned timeoutMs) {
        thread = std::thread([this, timeoutMs] {
            std::unique_lock<std::mutex> guard(lock);
            if (!cancelled.wait_for(guard, std::chrono::milliseconds(timeoutMs), [this] { return done; })) {
                fired = 1;
                PostQuitUiMessage(kWatchdogExitCode);
            }
        });
    }
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> guard(lock);
            done = true;
        }
        cancelled.notify_all();
        thread.join();
    }
};

class UiCoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_UiSettings.unattended = 0;
        g_UiSettings.isUnattendedHook = nullptr;
        g_UiSettings.logHook = nullptr;
        ASSERT_EQ(StartEventCore(nullptr), 1);
    }
    void TearDown() override {
        StopEventCore();
        g_UiSettings.unattended = 0;
    }
};

// Runs RunUiLoopOnce until done() holds or timeoutMs passes. Returns true when done.
template <typename Done>
bool RunLoopUntil(Done done, unsigned timeoutMs, int withTimers = 1) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        if (RunUiLoopOnce(5, withTimers, nullptr) < 0) return done();
    }
    return true;
}

inline uint64_t TestNowMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
