// The exclusion of the two sides that switch the current tool: one lock makes each test-and-raise one
// indivisible step; the waits poll every 10 ms outside the lock.
#include "simulation/tool_switch_lock.h"

#include <mutex>

#include "platform/os/clock.h"

std::atomic<int> g_OtherToolsCheckActive{0};
std::atomic<int> g_ToolListBuilding{0};

namespace {

std::mutex g_ToolSwitchLock;

// Raises mine once other is 0, testing and raising under the lock.
void WaitAndRaise(std::atomic<int>& other, std::atomic<int>& mine)
{
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(g_ToolSwitchLock);
            if (other.load() == 0) {
                mine.store(1);
                return;
            }
        }
        SleepMs(10);
    }
}

}  // namespace

void BeginToolListBuilding() { WaitAndRaise(g_OtherToolsCheckActive, g_ToolListBuilding); }
void EndToolListBuilding() { g_ToolListBuilding.store(0); }
void BeginOtherToolsCheck() { WaitAndRaise(g_ToolListBuilding, g_OtherToolsCheckActive); }
void EndOtherToolsCheck() { g_OtherToolsCheckActive.store(0); }
