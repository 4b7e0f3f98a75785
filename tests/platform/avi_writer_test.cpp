// AVI writer: a ten-frame movie is read by ffprobe with the right frame count, size and rate; bad
// arguments are refused; a movie that is never closed leaves no file at the target.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/os/avi_writer.h"
#include "tests/scoped_temp_folder.h"

namespace {

std::string TempPath(const char* name) {
    return ProgramTempFolder().File(name);
}

int IsProgramOnPath(const char* name) {
    std::string command = std::string("command -v ") + name + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// Runs a shell command and returns its standard output.
std::string RunAndRead(const std::string& command) {
    std::string text;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return text;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) text += buffer;
    pclose(pipe);
    return text;
}

int WriteMovie(const std::string& path, int width, int height, int frames, int rate) {
    AviWriter writer;
    if (OpenAviWriter(&writer, path.c_str(), width, height, rate, "Cutting Simulation") != AVI_OK) return 0;
    std::vector<uint8_t> frame(GetAviFrameBytes(width, height));
    for (int i = 0; i < frames; ++i) {
        for (size_t k = 0; k < frame.size(); ++k) frame[k] = static_cast<uint8_t>(k * 3 + i * 25);
        if (AddAviFrame(&writer, frame.data(), frame.size()) != AVI_OK) return 0;
    }
    return CloseAviWriter(&writer) == AVI_OK;
}

}  // namespace

TEST(AviWriter, FrameBytesRoundRowsUpToFourBytes) {
    EXPECT_EQ(GetAviFrameBytes(1, 1), 4u);
    EXPECT_EQ(GetAviFrameBytes(5, 2), 32u);
    EXPECT_EQ(GetAviFrameBytes(640, 480), 921600u);
    EXPECT_EQ(GetAviFrameBytes(0, 10), 0u);
    EXPECT_EQ(GetAviFrameBytes(10, -1), 0u);
}

TEST(AviWriter, TenFramesAreAcceptedByFfprobe) {
    if (!IsProgramOnPath("ffprobe")) GTEST_SKIP() << "ffprobe not found";
    std::string path = TempPath("ten.avi");
    ASSERT_EQ(WriteMovie(path, 33, 18, 10, 5), 1);  // odd width: rows are padded
    std::string info = RunAndRead("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                  "stream=codec_type,width,height,nb_read_frames,nb_frames,r_frame_rate "
                                  "-of default=noprint_wrappers=1 '" + path + "'");
    EXPECT_NE(info.find("codec_type=video"), std::string::npos) << info;
    EXPECT_NE(info.find("width=33\n"), std::string::npos) << info;
    EXPECT_NE(info.find("height=18\n"), std::string::npos) << info;
    EXPECT_NE(info.find("nb_frames=10\n"), std::string::npos) << info;
    EXPECT_NE(info.find("nb_read_frames=10\n"), std::string::npos) << info;
    EXPECT_NE(info.find("r_frame_rate=5/1\n"), std::string::npos) << info;
    std::string errors = RunAndRead("ffmpeg -v error -i '" + path + "' -f null - 2>&1");
    EXPECT_EQ(errors, "");
    std::remove(path.c_str());
}

TEST(AviWriter, RefusesBadArgumentsAndKeepsTheTargetUntilClosed) {
    AviWriter writer;
    EXPECT_EQ(IsAviWriterOpen(&writer), 0);
    EXPECT_EQ(CloseAviWriter(&writer), AVI_ERROR_ARGUMENT);
    std::string path = TempPath("bad.avi");
    EXPECT_EQ(OpenAviWriter(&writer, path.c_str(), 0, 10, 5, nullptr), AVI_ERROR_ARGUMENT);
    EXPECT_EQ(OpenAviWriter(&writer, path.c_str(), 10, 10, 0, nullptr), AVI_ERROR_ARGUMENT);
    EXPECT_EQ(OpenAviWriter(&writer, "/nonexistent-folder/x.avi", 10, 10, 1, nullptr), AVI_ERROR_CREATE);
    EXPECT_EQ(IsAviWriterOpen(&writer), 0);

    ASSERT_EQ(OpenAviWriter(&writer, path.c_str(), 4, 4, 1, ""), AVI_OK);
    std::vector<uint8_t> frame(GetAviFrameBytes(4, 4));
    EXPECT_EQ(AddAviFrame(&writer, frame.data(), frame.size() - 1), AVI_ERROR_ARGUMENT);
    EXPECT_EQ(AddAviFrame(&writer, nullptr, frame.size()), AVI_ERROR_ARGUMENT);
    EXPECT_EQ(AddAviFrame(&writer, frame.data(), frame.size()), AVI_OK);
    EXPECT_EQ(access(path.c_str(), F_OK), -1);  // still under its temporary name
    EXPECT_EQ(CloseAviWriter(&writer), AVI_OK);
    EXPECT_EQ(access(path.c_str(), F_OK), 0);
    // 12 + hdrl list (12 + avih 64 + strl list 12 + strh 64 + strf 48) + movi (12 + 8 + 48) + idx1 (8 + 16).
    FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::fseek(f, 0, SEEK_END);
    EXPECT_EQ(std::ftell(f), 12 + 12 + 64 + 12 + 64 + 48 + 12 + 8 + 48 + 8 + 16);
    std::fclose(f);
    std::remove(path.c_str());
}
