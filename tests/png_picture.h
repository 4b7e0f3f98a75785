// A PNG image read back for the display tests, which look at the colours of known pixels.
#pragma once
#include <png.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

// A PNG file read back as RGB rows, top row first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
    const unsigned char* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

inline int ReadPng(const std::string& path, Picture* picture)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return 0;
    image.format = PNG_FORMAT_RGB;
    picture->width = static_cast<int>(image.width);
    picture->height = static_cast<int>(image.height);
    picture->rgb.assign(PNG_IMAGE_SIZE(image), 0);
    if (!png_image_finish_read(&image, nullptr, picture->rgb.data(), 0, nullptr)) {
        png_image_free(&image);
        return 0;
    }
    return 1;
}
