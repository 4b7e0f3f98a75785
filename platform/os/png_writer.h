// PNG files from 24-bit RGB pictures (8 bits per channel, no interlace) through libpng.
// libpng errors are caught (setjmp); the file is written under a temporary name and renamed into place.
#pragma once
#include <cstdint>

// Results of WritePngFile.
enum {
    PNG_WRITE_OK = 1,
    PNG_WRITE_ERROR_ARGUMENT = -1,  // null path or pixels, width or height not positive, row bytes too short
    PNG_WRITE_ERROR_CREATE = -2,    // the temporary file could not be created
    PNG_WRITE_ERROR_LIBPNG = -3,    // libpng failed (structures or an error while writing)
    PNG_WRITE_ERROR_WRITE = -4,     // writing, closing or renaming the file failed
};

// Writes width x height RGB pixels (3 bytes each, rows rowBytes apart; rowBytes >= 3 x width) to path.
// bottomUp = 1 when the first row in memory is the bottom row of the picture (as OpenGL reads it),
// 0 when it is the top row. The previous file at path is only replaced when the new one is complete.
int WritePngFile(const char* path, const uint8_t* pixels, int rowBytes, int width, int height, int bottomUp);
