// LZMS buffer codec: the 24-byte header and the block framing of the Windows compression API's buffer
// mode, with each block's LZMS stream made and read by wimlib. Callers see whole buffers only.
#include "platform/os/lzms_buffer.h"

#include <wimlib.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// The header as stored at offsets 0, 4, 6, 7, 8 and 16.
struct LzmsHeader {
    uint32_t magic;
    uint16_t headerSize;
    uint8_t checkByte;
    uint8_t algorithm;
    uint64_t totalSize;
    uint64_t blockSize;
};

uint64_t ReadLittleEndian(const uint8_t* p, int bytes) {
    uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | p[i];
    return value;
}

void WriteLittleEndian(uint8_t* p, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

// Low byte of the CRC-32 over header bytes 0..5 followed by 7..23 (the check byte itself left out).
uint8_t ComputeHeaderCheckByte(const uint8_t* header) {
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, header, 6);
    crc = crc32(crc, header + 7, static_cast<uInt>(kLzmsHeaderSize - 7));
    return static_cast<uint8_t>(crc & 0xFF);
}

void BuildHeader(uint64_t totalSize, uint64_t blockSize, uint8_t* header) {
    WriteLittleEndian(header + 0, kLzmsMagic, 4);
    WriteLittleEndian(header + 4, kLzmsHeaderSize, 2);
    header[6] = 0;
    header[7] = kLzmsAlgorithm;
    WriteLittleEndian(header + 8, totalSize, 8);
    WriteLittleEndian(header + 16, blockSize, 8);
    header[6] = ComputeHeaderCheckByte(header);
}

// Reads and checks the header. Returns LZMS_OK, LZMS_ERROR_HEADER or LZMS_ERROR_TRUNCATED.
int ParseHeader(const uint8_t* data, size_t size, LzmsHeader* header) {
    if (size < 4 || ReadLittleEndian(data, 4) != kLzmsMagic) return LZMS_ERROR_HEADER;
    if (size < kLzmsHeaderSize) return LZMS_ERROR_TRUNCATED;
    header->magic = kLzmsMagic;
    header->headerSize = static_cast<uint16_t>(ReadLittleEndian(data + 4, 2));
    header->checkByte = data[6];
    header->algorithm = data[7];
    header->totalSize = ReadLittleEndian(data + 8, 8);
    header->blockSize = ReadLittleEndian(data + 16, 8);
    if (header->headerSize != kLzmsHeaderSize || header->algorithm != kLzmsAlgorithm) return LZMS_ERROR_HEADER;
    if (header->checkByte != ComputeHeaderCheckByte(data)) return LZMS_ERROR_HEADER;
    if (header->totalSize > kLzmsMaxTotalSize) return LZMS_ERROR_HEADER;
    if (header->totalSize > 0 && (header->blockSize == 0 || header->blockSize > kLzmsMaxBlockSize))
        return LZMS_ERROR_HEADER;
    return LZMS_OK;
}

// Walks the block table without decoding: every stored size must be 1 .. the block's size and lie inside
// the input, and the last block must end exactly at the input's end.
int CheckBlockTable(const uint8_t* data, size_t size, const LzmsHeader& header) {
    size_t position = kLzmsHeaderSize;
    uint64_t remaining = header.totalSize;
    while (remaining > 0) {
        uint64_t blockLength = std::min(remaining, header.blockSize);
        if (size - position < 4) return LZMS_ERROR_TRUNCATED;
        uint64_t stored = ReadLittleEndian(data + position, 4);
        position += 4;
        if (stored == 0 || stored > blockLength) return LZMS_ERROR_CORRUPT;
        if (size - position < stored) return LZMS_ERROR_TRUNCATED;
        position += static_cast<size_t>(stored);
        remaining -= blockLength;
    }
    return position == size ? LZMS_OK : LZMS_ERROR_TRUNCATED;
}

// Decodes the blocks of a checked table into *out, growing it one block at a time.
int DecodeBlocks(const uint8_t* data, const LzmsHeader& header, std::vector<uint8_t>* out) {
    if (header.totalSize == 0) return LZMS_OK;
    wimlib_decompressor* decompressor = nullptr;
    size_t largestBlock = static_cast<size_t>(std::min(header.totalSize, header.blockSize));
    if (wimlib_create_decompressor(WIMLIB_COMPRESSION_TYPE_LZMS, largestBlock, &decompressor) != 0)
        return LZMS_ERROR_MEMORY;
    int result = LZMS_OK;
    size_t position = kLzmsHeaderSize;
    uint64_t remaining = header.totalSize;
    while (remaining > 0 && result == LZMS_OK) {
        size_t blockLength = static_cast<size_t>(std::min(remaining, header.blockSize));
        size_t stored = static_cast<size_t>(ReadLittleEndian(data + position, 4));
        position += 4;
        size_t start = out->size();
        try {
            out->resize(start + blockLength);
        } catch (const std::bad_alloc&) {
            result = LZMS_ERROR_MEMORY;
            break;
        }
        if (stored == blockLength)
            std::memcpy(out->data() + start, data + position, blockLength);
        else if (wimlib_decompress(data + position, stored, out->data() + start, blockLength, decompressor) != 0)
            result = LZMS_ERROR_CORRUPT;
        position += stored;
        remaining -= blockLength;
    }
    wimlib_free_decompressor(decompressor);
    return result;
}

// Appends one block to *out: its stored size, then its LZMS stream, or the block itself when the stream
// would not be smaller.
void AppendBlock(const uint8_t* block, size_t length, wimlib_compressor* compressor, std::vector<uint8_t>* out) {
    size_t sizeField = out->size();
    out->resize(sizeField + 4 + length);
    uint8_t* target = out->data() + sizeField + 4;
    size_t compressed = length > 1 ? wimlib_compress(block, length, target, length - 1, compressor) : 0;
    if (compressed == 0 || compressed >= length) {
        std::memcpy(target, block, length);
        compressed = length;
    }
    WriteLittleEndian(out->data() + sizeField, compressed, 4);
    out->resize(sizeField + 4 + compressed);
}

}  // namespace

int IsLzmsBufferHeader(const uint8_t* data, size_t size) {
    LzmsHeader header;
    return data != nullptr && ParseHeader(data, size, &header) == LZMS_OK ? 1 : 0;
}

int CompressLzmsBufferWithOptions(const uint8_t* data, size_t size, uint64_t blockSize, unsigned level,
                                  std::vector<uint8_t>* out) {
    if (out == nullptr) return LZMS_ERROR_ARGUMENT;
    out->clear();
    if ((data == nullptr && size > 0) || size > kLzmsMaxTotalSize) return LZMS_ERROR_ARGUMENT;
    if (blockSize == 0 || blockSize > kLzmsMaxBlockSize) return LZMS_ERROR_ARGUMENT;
    uint64_t headerBlockSize = std::min<uint64_t>(size, blockSize);
    int result = LZMS_OK;
    wimlib_compressor* compressor = nullptr;
    try {
        out->reserve(kLzmsHeaderSize + size + 4 * (size / blockSize + 1));
        out->resize(kLzmsHeaderSize);
        BuildHeader(size, headerBlockSize, out->data());
        if (size > 0 &&
            wimlib_create_compressor(WIMLIB_COMPRESSION_TYPE_LZMS, static_cast<size_t>(headerBlockSize), level,
                                     &compressor) != 0)
            result = LZMS_ERROR_MEMORY;
        for (size_t offset = 0; result == LZMS_OK && offset < size; offset += headerBlockSize) {
            size_t length = static_cast<size_t>(std::min<uint64_t>(size - offset, headerBlockSize));
            AppendBlock(data + offset, length, compressor, out);
        }
    } catch (const std::bad_alloc&) {
        result = LZMS_ERROR_MEMORY;
    }
    wimlib_free_compressor(compressor);
    if (result != LZMS_OK) {
        out->clear();
        out->shrink_to_fit();
    }
    return result;
}

int CompressLzmsBuffer(const uint8_t* data, size_t size, std::vector<uint8_t>* out) {
    return CompressLzmsBufferWithOptions(data, size, kLzmsDefaultBlockSize, 0, out);
}

int DecompressLzmsBuffer(const uint8_t* data, size_t size, std::vector<uint8_t>* out) {
    if (out == nullptr) return LZMS_ERROR_ARGUMENT;
    out->clear();
    if (data == nullptr) return LZMS_ERROR_ARGUMENT;
    LzmsHeader header;
    int result = ParseHeader(data, size, &header);
    if (result == LZMS_OK) result = CheckBlockTable(data, size, header);
    if (result == LZMS_OK) result = DecodeBlocks(data, header, out);
    if (result != LZMS_OK) {
        out->clear();
        out->shrink_to_fit();
    }
    return result;
}
