// Basic handle types of the user-interface layer. The event core (window procedures, messages,
// timers) builds on these; core subsystems only pass the handles around.
#pragma once
#include <cstdint>

struct UiWindow;                     // a window of the event core; opaque outside platform/ui
typedef UiWindow* WindowHandle;      // null: no window
