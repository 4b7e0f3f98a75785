// PNG writer: 24-bit RGB pictures through libpng 1.6, errors caught with setjmp, files replaced through
// a temporary name (files.h). Reading pictures from the view is the view's business.
#include "platform/os/png_writer.h"

#include <png.h>

#include <csetjmp>
#include <vector>

#include "platform/os/files.h"

namespace {

void OnPngError(png_structp png, png_const_charp /*message*/) { png_longjmp(png, 1); }

void OnPngWarning(png_structp /*png*/, png_const_charp /*message*/) {}

// Writes the rows to an open stream. Only plain data lives in this frame, so the longjmp of a libpng error
// skips no destructor. Returns PNG_WRITE_OK or PNG_WRITE_ERROR_LIBPNG.
int WritePngStream(FILE* stream, png_bytep* rows, int width, int height) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
    if (png == nullptr) return PNG_WRITE_ERROR_LIBPNG;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return PNG_WRITE_ERROR_LIBPNG;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return PNG_WRITE_ERROR_LIBPNG;
    }
    png_init_io(png, stream);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return PNG_WRITE_OK;
}

}  // namespace

int WritePngFile(const char* path, const uint8_t* pixels, int rowBytes, int width, int height, int bottomUp) {
    if (path == nullptr || path[0] == '\0' || pixels == nullptr || width <= 0 || height <= 0)
        return PNG_WRITE_ERROR_ARGUMENT;
    if (width > 0x7FFFFFFF / 3 || rowBytes < 3 * width || width > 1000000 || height > 1000000)
        return PNG_WRITE_ERROR_ARGUMENT;
    // PNG wants the top row first.
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    for (int i = 0; i < height; ++i) {
        int source = bottomUp ? height - 1 - i : i;
        rows[i] = const_cast<png_bytep>(pixels + static_cast<size_t>(source) * static_cast<size_t>(rowBytes));
    }
    FileRewrite rewrite;
    if (!BeginFileRewrite(path, &rewrite)) return PNG_WRITE_ERROR_CREATE;
    int result = WritePngStream(rewrite.stream, rows.data(), width, height);
    if (result != PNG_WRITE_OK) {
        AbortFileRewrite(&rewrite);
        return result;
    }
    return CommitFileRewrite(&rewrite) ? PNG_WRITE_OK : PNG_WRITE_ERROR_WRITE;
}
