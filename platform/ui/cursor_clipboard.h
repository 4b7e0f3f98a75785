// Cursors (current cursor, class cursors, cursor position and clip), the clipboard image and dropped
// files. A cursor is a number: a system cursor IDC_* or a program cursor resource id.
#pragma once
#include <cstddef>
#include <cstdint>
#include "platform/ui/event_core.h"

// Sets the cursor shown now; returns the previous one. Any thread.
int SetUiCursor(int cursor);
int GetUiCursor();
// The cursor of every window of the window's class (what the pointer shows over it).
int SetUiClassCursor(WindowHandle window, int cursor);   // returns the previous one
int GetUiClassCursor(WindowHandle window);               // IDC_ARROW unless set
// The pointer in screen pixels, as the backend reports it (tests set it).
void GetUiCursorPosition(int* x, int* y);
void SetUiCursorPosition(int x, int y);
// Keeps the pointer inside rect (screen); null frees it. Headless: only recorded.
void ClipUiCursor(const UiRect* rect);

// The clipboard image: 24-bit rows, blue-green-red, bottom row first, each row padded to a multiple
// of 4 bytes (the device-independent bitmap layout). Returns 1, 0 for a bad size or no memory.
int SetClipboardImage(const unsigned char* pixels, int width, int height);
// Size of the image held (0 when none). rowBytes may be null.
int GetClipboardImageSize(int* width, int* height, int* rowBytes);
// Copies the image (rowBytes x height bytes) when size suffices. Returns 1 or 0.
int ReadClipboardImage(unsigned char* pixels, size_t size);

// Dropped files. DropUiFiles makes a drop of count paths and posts WM_DROPFILES to window with the
// drop's handle in wParam (the backend calls it for a real drop; tests too). Returns the handle, 0 on failure.
uintptr_t DropUiFiles(WindowHandle window, const char* const* paths, int count);
int CountDroppedFiles(uintptr_t drop);                                  // 0 for an unknown handle
// Copies name index (at most size - 1 bytes). Returns its full length, or 0 when none.
int GetDroppedFile(uintptr_t drop, int index, char* path, int size);
// Releases the drop.
void FinishDrop(uintptr_t drop);
