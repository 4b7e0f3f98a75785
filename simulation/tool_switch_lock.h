// The current tool is switched by two sides: the view's list of layout tools (UI thread) and the
// other-tools interference check (simulation thread). Each side waits, polling every 10 ms, while the
// other is active, and raises its own flag in the same indivisible step as the test.
#pragma once
#include <atomic>

extern std::atomic<int> g_OtherToolsCheckActive;   // 1 while the other-tools check switches tools
extern std::atomic<int> g_ToolListBuilding;        // 1 while the view builds the layout-tool list

// Waits until the other side is idle and raises g_ToolListBuilding (UI thread).
void BeginToolListBuilding();
void EndToolListBuilding();
// Waits until the view is idle and raises g_OtherToolsCheckActive (simulation thread).
void BeginOtherToolsCheck();
void EndOtherToolsCheck();
