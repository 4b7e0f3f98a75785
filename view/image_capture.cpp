// Reading the view's picture back from OpenGL and writing PNG files of it. libpng's errors are caught
// by the PNG writer of the platform layer, which reports them as a failed file.
#include "view/image_capture.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/os/png_writer.h"
#include "platform/ui/event_core.h"
#include "platform/ui/gl_calls.h"
#include "view/view_window.h"

int g_ReadBufferChoice = -1;

namespace {

int IsAllZero(const unsigned char* pixels, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        if (pixels[i] != 0) return 0;
    }
    return 1;
}

int EndsWithPngExtension(const char* path)
{
    const size_t length = std::strlen(path);
    if (length < 4) return 0;
    const char* tail = path + length - 4;
    const char* png = ".PNG";
    for (int i = 0; i < 4; ++i) {
        const char c = tail[i] >= 'a' && tail[i] <= 'z' ? static_cast<char>(tail[i] - 'a' + 'A') : tail[i];
        if (c != png[i]) return 0;
    }
    return 1;
}

// Reads the view into a buffer of its size; empty when there is nothing to read.
std::vector<unsigned char> ReadWholeView(unsigned format)
{
    std::vector<unsigned char> pixels;
    if (g_ViewWidth <= 0 || g_ViewHeight <= 0 || g_ViewImageBytes <= 0) return pixels;
    pixels.assign(static_cast<size_t>(g_ViewImageBytes), 0);
    if (!ReadViewPixels(format, pixels.data())) pixels.clear();
    return pixels;
}

}  // namespace

int ReadViewPixels(unsigned format, unsigned char* pixels)
{
    if (pixels == nullptr || g_ViewWidth <= 0 || g_ViewHeight <= 0 || !g_ViewGlContext) return 0;
    if (!MakeUiGlCurrent(g_ViewWindow)) return 0;
    if (g_ReadBufferChoice != 0) GlReadBuffer(UI_GL_FRONT);
    GlReadPixels(0, 0, g_ViewWidth, g_ViewHeight, format, UI_GL_UNSIGNED_BYTE, pixels);
    if (g_ReadBufferChoice == -1) {
        if (!IsAllZero(pixels, g_ViewImageBytes)) {
            g_ReadBufferChoice = 1;
        } else {
            // The front buffer reads back empty on this system: the back buffer from now on.
            g_ReadBufferChoice = 0;
            GlReadBuffer(UI_GL_BACK);
            GlReadPixels(0, 0, g_ViewWidth, g_ViewHeight, format, UI_GL_UNSIGNED_BYTE, pixels);
        }
    }
    MakeUiGlCurrent(nullptr);
    return 1;
}

int SaveImagePng(const char* path, const unsigned char* pixels, int rowBytes, int width, int height)
{
    if (path == nullptr || pixels == nullptr || width <= 0 || height <= 0) return 0;
    return WritePngFile(path, pixels, rowBytes, width, height, 1) == PNG_WRITE_OK ? 1 : 0;
}

int SaveViewImage(const char* path)
{
    if (path == nullptr || path[0] == '\0') return 0;
    std::vector<unsigned char> pixels = ReadWholeView(UI_GL_RGB);
    if (pixels.empty()) return 0;
    std::string name = path;
    if (!EndsWithPngExtension(path)) name += ".PNG";
    return SaveImagePng(name.c_str(), pixels.data(), g_ViewRowBytes, g_ViewWidth, g_ViewHeight);
}

int SaveViewScreenshot(char* written, int size)
{
    std::vector<unsigned char> pixels = ReadWholeView(UI_GL_RGB);
    if (pixels.empty()) return 0;
    char name[16];
    for (int i = 0; i <= 9; ++i) {
        if (i == 0) std::snprintf(name, sizeof name, "tmp.png");
        else std::snprintf(name, sizeof name, "tmp%d.png", i);
        if (SaveImagePng(name, pixels.data(), g_ViewRowBytes, g_ViewWidth, g_ViewHeight)) {
            if (written != nullptr && size > 0) std::snprintf(written, static_cast<size_t>(size), "%s", name);
            return 1;
        }
    }
    return 0;
}
