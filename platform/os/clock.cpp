// Monotonic millisecond clock and sleeps on POSIX.
#include "platform/os/clock.h"
#include <chrono>
#include <thread>

uint64_t GetTickCountMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SleepMs(unsigned milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
