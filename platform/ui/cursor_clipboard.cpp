// Cursors (current, class cursors kept in event_core.cpp, position and clip), the clipboard image
// and the records of dropped files.
#include <atomic>
#include <cstring>
#include <map>
#include <string>
#include <vector>
#include "platform/ui/cursor_clipboard.h"
#include "platform/ui/ui_internal.h"

namespace {

std::atomic<int> g_Cursor{IDC_ARROW};
std::atomic<int> g_CursorX{0};
std::atomic<int> g_CursorY{0};

std::mutex g_ClipLock;                                   // guards everything below
int g_ClipWidth = 0;
int g_ClipHeight = 0;
std::vector<unsigned char> g_ClipPixels;
std::map<uintptr_t, std::vector<std::string>> g_Drops;
uintptr_t g_NextDrop = 1;

int RowBytesOf(int width) { return (width * 3 + 3) / 4 * 4; }

}  // namespace

void ResetCursorClipboardState() {
    g_Cursor.store(IDC_ARROW);
    std::lock_guard<std::mutex> guard(g_ClipLock);
    g_ClipWidth = g_ClipHeight = 0;
    g_ClipPixels.clear();
    g_Drops.clear();
}

int SetUiCursor(int cursor) {
    int previous = g_Cursor.exchange(cursor);
    const UiBackend* backend = GetUiBackend();
    if (previous != cursor && backend->setCursor != nullptr && IsUiThread()) backend->setCursor(cursor);
    return previous;
}

int GetUiCursor() { return g_Cursor.load(); }

void GetUiCursorPosition(int* x, int* y) {
    if (x != nullptr) *x = g_CursorX.load();
    if (y != nullptr) *y = g_CursorY.load();
}

void SetUiCursorPosition(int x, int y) {
    g_CursorX.store(x);
    g_CursorY.store(y);
}

void ClipUiCursor(const UiRect* rect) {
    const UiBackend* backend = GetUiBackend();
    if (backend->clipCursor != nullptr && IsUiThread()) backend->clipCursor(rect);
}

int SetClipboardImage(const unsigned char* pixels, int width, int height) {
    if (pixels == nullptr || width <= 0 || height <= 0 || width > 65536 || height > 65536) return 0;
    size_t size = static_cast<size_t>(RowBytesOf(width)) * static_cast<size_t>(height);
    {
        std::lock_guard<std::mutex> guard(g_ClipLock);
        g_ClipPixels.assign(pixels, pixels + size);
        g_ClipWidth = width;
        g_ClipHeight = height;
    }
    const UiBackend* backend = GetUiBackend();
    if (backend->setClipboardImage != nullptr && IsUiThread()) backend->setClipboardImage(pixels, width, height);
    return 1;
}

int GetClipboardImageSize(int* width, int* height, int* rowBytes) {
    std::lock_guard<std::mutex> guard(g_ClipLock);
    if (width != nullptr) *width = g_ClipWidth;
    if (height != nullptr) *height = g_ClipHeight;
    if (rowBytes != nullptr) *rowBytes = g_ClipWidth > 0 ? RowBytesOf(g_ClipWidth) : 0;
    return g_ClipWidth > 0 ? 1 : 0;
}

int ReadClipboardImage(unsigned char* pixels, size_t size) {
    std::lock_guard<std::mutex> guard(g_ClipLock);
    if (pixels == nullptr || g_ClipPixels.empty() || size < g_ClipPixels.size()) return 0;
    std::memcpy(pixels, g_ClipPixels.data(), g_ClipPixels.size());
    return 1;
}

uintptr_t DropUiFiles(WindowHandle window, const char* const* paths, int count) {
    if (!IsUiWindow(window) || paths == nullptr || count <= 0) return 0;
    uintptr_t drop = 0;
    {
        std::lock_guard<std::mutex> guard(g_ClipLock);
        drop = g_NextDrop++;
        std::vector<std::string>& names = g_Drops[drop];
        for (int i = 0; i < count; ++i) names.push_back(paths[i] != nullptr ? paths[i] : "");
    }
    if (!PostUiMessage(window, WM_DROPFILES, drop, 0)) {
        FinishDrop(drop);
        return 0;
    }
    return drop;
}

int CountDroppedFiles(uintptr_t drop) {
    std::lock_guard<std::mutex> guard(g_ClipLock);
    auto found = g_Drops.find(drop);
    return found != g_Drops.end() ? static_cast<int>(found->second.size()) : 0;
}

int GetDroppedFile(uintptr_t drop, int index, char* path, int size) {
    std::lock_guard<std::mutex> guard(g_ClipLock);
    auto found = g_Drops.find(drop);
    if (found == g_Drops.end() || index < 0 || index >= static_cast<int>(found->second.size())) {
        if (path != nullptr && size > 0) path[0] = '\0';
        return 0;
    }
    return CopyUiText(found->second[static_cast<size_t>(index)], path, size);
}

void FinishDrop(uintptr_t drop) {
    std::lock_guard<std::mutex> guard(g_ClipLock);
    g_Drops.erase(drop);
}
