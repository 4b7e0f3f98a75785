// The machine's memory from sysconf: physical pages times the page size.
#include "platform/os/system_memory.h"

#include <unistd.h>

uint64_t GetPhysicalMemoryBytes()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return 0;
    return uint64_t(pages) * uint64_t(pageSize);
}
