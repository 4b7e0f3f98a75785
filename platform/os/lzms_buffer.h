// LZMS-compressed buffers in the buffer format of the Windows compression API (algorithm 5, buffer mode):
// a 24-byte header, then blocks each holding an independent LZMS stream or, when that would not be smaller,
// the block verbatim. The LZMS streams come from wimlib; the framing is written and checked here.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Results of the codec (1 = success).
enum {
    LZMS_OK = 1,
    LZMS_ERROR_ARGUMENT = -1,   // null pointer, or the input is larger than the format allows
    LZMS_ERROR_HEADER = -2,     // not a buffer of this format (magic, header size, check byte, algorithm, sizes)
    LZMS_ERROR_TRUNCATED = -3,  // the input ends before its blocks do, or bytes follow the last block
    LZMS_ERROR_CORRUPT = -4,    // a block's stored size is impossible or its LZMS stream does not decode
    LZMS_ERROR_MEMORY = -5,     // no memory for the output or for the compressor
};

constexpr size_t kLzmsHeaderSize = 24;
constexpr uint32_t kLzmsMagic = 0xC0E5510Au;
constexpr uint8_t kLzmsAlgorithm = 5;
constexpr uint64_t kLzmsDefaultBlockSize = 64u << 20;   // the block size the API uses: min(total, 64 MiB)
constexpr uint64_t kLzmsMaxBlockSize = 64u << 20;       // largest block read or written: the API's default,
                                                        // which bounds what one forged header can allocate
constexpr uint64_t kLzmsMaxTotalSize = 0xFFFFFFFFull;   // whole buffers of 4 GiB or more are not handled

// Compresses data[0..size) into *out (replaced) with the API's default block size. Returns LZMS_OK or a
// negative LZMS_ERROR_*; *out is empty on failure. An empty input gives a header with no blocks.
int CompressLzmsBuffer(const uint8_t* data, size_t size, std::vector<uint8_t>* out);

// As CompressLzmsBuffer with an explicit block size (1 .. kLzmsMaxBlockSize; the header records
// min(size, blockSize)) and wimlib's compression level (0: its default, 50). The level changes only the
// effort and the size of the streams, never the format: on 40 MB of work-file data level 50 took 37 s,
// level 20 8.5 s for a 14 % larger result. Tests use small block sizes to make multi-block buffers.
int CompressLzmsBufferWithOptions(const uint8_t* data, size_t size, uint64_t blockSize, unsigned level,
                                  std::vector<uint8_t>* out);

// Decompresses a whole buffer into *out (replaced). Every size in the header is checked against the input
// before memory is reserved, so a forged header cannot cause a giant allocation. Returns LZMS_OK or a
// negative LZMS_ERROR_*; *out is empty on failure (a partial result is never returned).
int DecompressLzmsBuffer(const uint8_t* data, size_t size, std::vector<uint8_t>* out);

// 1 when data starts with a valid header of this format (magic, size, check byte, algorithm), else 0.
int IsLzmsBufferHeader(const uint8_t* data, size_t size);
