// Clocks and sleeps.
#pragma once
#include <cstdint>

uint64_t GetTickCountMs();            // monotonic milliseconds
void SleepMs(unsigned milliseconds);
