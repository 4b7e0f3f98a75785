// Basic handle types of the user-interface layer. The event core (window procedures, messages,
// timers) builds on these; core subsystems only pass the handles around.
#pragma once
#include <cstdint>

struct UiWindow;                     // a window of the event core; opaque outside platform/ui
typedef UiWindow* WindowHandle;      // null: no window

struct UiMenu;                       // a menu bar or popup menu of the menu model (platform/ui/menu.h)
typedef UiMenu* MenuHandle;          // null: no menu

// A window procedure (and a dialog procedure): window, message number, the two message parameters.
// Returns the message's result (0 for most handled messages; a dialog procedure returns 1 when it
// handled the message).
typedef intptr_t (*WindowProc)(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam);

// A rectangle in pixels: left and top inside, right and bottom just outside.
struct UiRect {
    int left;
    int top;
    int right;
    int bottom;
};

// The two halves of a message parameter (window sizes in WM_SIZE, id and notification in WM_COMMAND).
inline unsigned LowWord(uintptr_t value) { return static_cast<unsigned>(value & 0xFFFFu); }
inline unsigned HighWord(uintptr_t value) { return static_cast<unsigned>((value >> 16) & 0xFFFFu); }
// The signed high word (the wheel delta of WM_MOUSEWHEEL, negative coordinates).
inline int SignedHighWord(uintptr_t value) { return static_cast<int16_t>((value >> 16) & 0xFFFFu); }
inline int SignedLowWord(uintptr_t value) { return static_cast<int16_t>(value & 0xFFFFu); }
inline uintptr_t MakeParam(unsigned low, unsigned high) {
    return static_cast<uintptr_t>((low & 0xFFFFu) | ((high & 0xFFFFu) << 16));
}
inline intptr_t MakeLParam(unsigned low, unsigned high) { return static_cast<intptr_t>(MakeParam(low, high)); }
