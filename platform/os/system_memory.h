// The machine's memory as the operating system reports it.
#pragma once
#include <cstdint>

// Bytes of physical memory of the machine, or 0 when the system does not tell.
uint64_t GetPhysicalMemoryBytes();
