// PNG writer: pictures read back through libpng to the same pixels, in both row orders; bad arguments
// and unwritable paths fail cleanly and leave an earlier file alone.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/os/png_writer.h"
#include "tests/scoped_temp_folder.h"

namespace {

struct PngImage {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // top row first, 3 x width per row
};

// Reads an 8-bit RGB PNG with libpng's simplified API: 1 or 0.
int ReadPng(const std::string& path, PngImage* image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return 0;
    png.format = PNG_FORMAT_RGB;
    image->width = static_cast<int>(png.width);
    image->height = static_cast<int>(png.height);
    image->rgb.resize(PNG_IMAGE_SIZE(png));
    int ok = png_image_finish_read(&png, nullptr, image->rgb.data(), 0, nullptr);
    png_image_free(&png);
    return ok ? 1 : 0;
}

std::string TempPath(const char* name) {
    return ProgramTempFolder().File(name);
}

// A picture of width x height with rows padded to 4 bytes; pixel (x, y) of memory row y.
std::vector<uint8_t> MakePicture(int width, int height, int rowBytes) {
    std::vector<uint8_t> pixels(static_cast<size_t>(rowBytes) * height, 0xEE);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &pixels[y * rowBytes + 3 * x];
            p[0] = static_cast<uint8_t>(x * 7 + y);
            p[1] = static_cast<uint8_t>(y * 13);
            p[2] = static_cast<uint8_t>(x ^ y);
        }
    return pixels;
}

}  // namespace

TEST(PngWriter, ReadsBackToTheSamePixelsInBothRowOrders) {
    const int width = 37, height = 11, rowBytes = (3 * width + 3) / 4 * 4;
    std::vector<uint8_t> pixels = MakePicture(width, height, rowBytes);
    for (int bottomUp = 0; bottomUp <= 1; ++bottomUp) {
        std::string path = TempPath(bottomUp ? "up.png" : "down.png");
        ASSERT_EQ(WritePngFile(path.c_str(), pixels.data(), rowBytes, width, height, bottomUp), PNG_WRITE_OK);
        PngImage image;
        ASSERT_EQ(ReadPng(path, &image), 1);
        ASSERT_EQ(image.width, width);
        ASSERT_EQ(image.height, height);
        for (int row = 0; row < height; ++row) {
            int memoryRow = bottomUp ? height - 1 - row : row;
            for (int i = 0; i < 3 * width; ++i)
                ASSERT_EQ(image.rgb[row * 3 * width + i], pixels[memoryRow * rowBytes + i]) << row << " " << i;
        }
        std::remove(path.c_str());
    }
}

TEST(PngWriter, FailuresAreReportedAndKeepTheOldFile) {
    std::vector<uint8_t> pixels = MakePicture(4, 4, 12);
    EXPECT_EQ(WritePngFile(nullptr, pixels.data(), 12, 4, 4, 0), PNG_WRITE_ERROR_ARGUMENT);
    EXPECT_EQ(WritePngFile("x.png", nullptr, 12, 4, 4, 0), PNG_WRITE_ERROR_ARGUMENT);
    EXPECT_EQ(WritePngFile("x.png", pixels.data(), 11, 4, 4, 0), PNG_WRITE_ERROR_ARGUMENT);
    EXPECT_EQ(WritePngFile("x.png", pixels.data(), 12, 0, 4, 0), PNG_WRITE_ERROR_ARGUMENT);
    EXPECT_EQ(WritePngFile("x.png", pixels.data(), 12, 4, -1, 0), PNG_WRITE_ERROR_ARGUMENT);
    EXPECT_EQ(WritePngFile("/nonexistent-folder/x.png", pixels.data(), 12, 4, 4, 0), PNG_WRITE_ERROR_CREATE);

    std::string path = TempPath("keep.png");
    ASSERT_EQ(WritePngFile(path.c_str(), pixels.data(), 12, 4, 4, 0), PNG_WRITE_OK);
    EXPECT_EQ(WritePngFile(path.c_str(), pixels.data(), 12, 4, 0, 0), PNG_WRITE_ERROR_ARGUMENT);
    PngImage image;
    ASSERT_EQ(ReadPng(path, &image), 1);
    EXPECT_EQ(image.width, 4);
    std::remove(path.c_str());
}
