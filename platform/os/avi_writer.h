// Movie files: RIFF AVI with one uncompressed 24-bit video stream ('DIB ' frames, chunk "00db") and an
// idx1 index. Written under a temporary name next to the target; the close renames it into place.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/os/files.h"

// Results of the AVI functions.
enum {
    AVI_OK = 1,
    AVI_ERROR_ARGUMENT = -1,  // bad size, rate or frame length, or the writer is not open
    AVI_ERROR_CREATE = -2,    // the file could not be created
    AVI_ERROR_WRITE = -3,     // a write, the final rewrite of the headers or the rename failed
    AVI_ERROR_FULL = -4,      // the frame would make the file larger than an AVI 1.0 RIFF may be (2 GiB)
};

// One movie being written. Starts closed; OpenAviWriter sets every field.
struct AviWriter {
    FileRewrite rewrite = {};            // the temporary file (stream null when not open) and the target
    std::string streamName;              // stored in the stream's "strn" chunk when not empty
    int width = 0;                       // frame width in pixels
    int height = 0;                      // frame height in pixels (rows bottom-up)
    int framesPerSecond = 0;             // frame rate
    uint32_t frameBytes = 0;             // bytes per frame: rows of 3 x width rounded up to 4, times height
    uint32_t headerBytes = 0;            // bytes before the first frame chunk (up to the "movi" type)
    uint64_t moviDataBytes = 0;          // bytes of frame chunks written after the "movi" type
    std::vector<uint32_t> frameOffsets;  // each frame chunk's offset from the "movi" type, for idx1
    int failed = 0;                      // 1 after a write error: later frames are refused, close reports it
};

// Creates the movie (a temporary file beside path) for frames of width x height at framesPerSecond;
// streamName, when not null or empty, is stored as the stream's name. Returns AVI_OK or an AVI_ERROR_*
// (then the writer is not open). A writer still open is closed first.
int OpenAviWriter(AviWriter* writer, const char* path, int width, int height, int framesPerSecond,
                  const char* streamName);

// Appends one frame: frameBytes bytes of BGR pixels, bottom row first, each row padded to 4 bytes (the
// layout of a 24-bit device-independent bitmap). Returns AVI_OK or an AVI_ERROR_*.
int AddAviFrame(AviWriter* writer, const uint8_t* pixels, size_t bytes);

// Writes the index and the final headers, closes the file and renames it over the target. A writer that
// failed is closed, its temporary file removed and the target left as it was. Returns AVI_OK or an
// AVI_ERROR_*; AVI_ERROR_ARGUMENT on a writer that is not open.
int CloseAviWriter(AviWriter* writer);

// 1 while the writer has an open file.
int IsAviWriterOpen(const AviWriter* writer);

// Bytes of one frame of a 24-bit bitmap: rows rounded up to 4 bytes. 0 for sizes out of range.
uint32_t GetAviFrameBytes(int width, int height);
