// LZMS buffer codec: the buffers made by the Windows compression API decode to their raw twins, our
// header matches theirs, round trips (empty, multi-block, stored blocks) and corrupt input.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/os/lzms_buffer.h"

namespace {

const char* const kFixtureNames[] = {"zeros", "sequential", "pattern", "single_byte", "english", "small", "random"};

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return bytes;
    uint8_t buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
    return bytes;
}

std::string FixturePath(const char* name, const char* extension) {
    return std::string(QUMBRA_FIXTURE_DIR) + "/lzms/" + name + extension;
}

uint32_t ReadU32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

void PutU64(std::vector<uint8_t>* b, size_t at, uint64_t v) {
    for (int i = 0; i < 8; ++i) (*b)[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Sets the header's check byte to match its other bytes, so that a forged field passes the check.
void FixCheckByte(std::vector<uint8_t>* b) {
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, b->data(), 6);
    crc = crc32(crc, b->data() + 7, 17);
    (*b)[6] = static_cast<uint8_t>(crc & 0xFF);
}

// Mixed data: runs of repeated text and stretches of noise, fixed seed.
std::vector<uint8_t> MakeMixedData(size_t size) {
    std::vector<uint8_t> data(size);
    std::mt19937 random(12345);
    const char* text = "G01 X10.000 Y-2.500 Z0.125 F1200\n";
    for (size_t i = 0; i < size; ++i)
        data[i] = (i / 3000) % 3 == 2 ? static_cast<uint8_t>(random()) : static_cast<uint8_t>(text[i % 33]);
    return data;
}

}  // namespace

TEST(LzmsBuffer, ApiBuffersDecodeToTheirRawTwins) {
    for (const char* name : kFixtureNames) {
        SCOPED_TRACE(name);
        std::vector<uint8_t> packed = ReadWholeFile(FixturePath(name, ".lzms"));
        std::vector<uint8_t> raw = ReadWholeFile(FixturePath(name, ".raw"));
        ASSERT_FALSE(packed.empty());
        ASSERT_FALSE(raw.empty());
        EXPECT_EQ(IsLzmsBufferHeader(packed.data(), packed.size()), 1);
        std::vector<uint8_t> out;
        ASSERT_EQ(DecompressLzmsBuffer(packed.data(), packed.size(), &out), LZMS_OK);
        EXPECT_EQ(out, raw);
    }
}

TEST(LzmsBuffer, OurHeaderMatchesTheApisAndRoundTrips) {
    for (const char* name : kFixtureNames) {
        SCOPED_TRACE(name);
        std::vector<uint8_t> packed = ReadWholeFile(FixturePath(name, ".lzms"));
        std::vector<uint8_t> raw = ReadWholeFile(FixturePath(name, ".raw"));
        std::vector<uint8_t> ours;
        ASSERT_EQ(CompressLzmsBuffer(raw.data(), raw.size(), &ours), LZMS_OK);
        ASSERT_GE(ours.size(), kLzmsHeaderSize + 4);
        EXPECT_EQ(0, std::memcmp(ours.data(), packed.data(), kLzmsHeaderSize));
        EXPECT_EQ(ours[0], 0x0A);
        std::vector<uint8_t> back;
        ASSERT_EQ(DecompressLzmsBuffer(ours.data(), ours.size(), &back), LZMS_OK);
        EXPECT_EQ(back, raw);
        // Incompressible data is stored verbatim, so there the whole buffer is the API's byte for byte.
        if (std::strcmp(name, "random") == 0) EXPECT_EQ(ours, packed);
        else EXPECT_LT(ReadU32(ours, kLzmsHeaderSize), raw.size());
    }
}

TEST(LzmsBuffer, EmptyInputIsAHeaderWithoutBlocks) {
    std::vector<uint8_t> packed;
    ASSERT_EQ(CompressLzmsBuffer(nullptr, 0, &packed), LZMS_OK);
    ASSERT_EQ(packed.size(), kLzmsHeaderSize);
    std::vector<uint8_t> out(5, 1);
    ASSERT_EQ(DecompressLzmsBuffer(packed.data(), packed.size(), &out), LZMS_OK);
    EXPECT_TRUE(out.empty());
}

TEST(LzmsBuffer, MultiBlockBufferWithStoredAndCompressedBlocks) {
    std::vector<uint8_t> data = MakeMixedData(20000);
    std::vector<uint8_t> packed;
    ASSERT_EQ(CompressLzmsBufferWithOptions(data.data(), data.size(), 3000, 0, &packed), LZMS_OK);
    // Walk the blocks: 7 blocks of 3000 bytes, the last 2000; noise blocks are stored verbatim.
    size_t at = kLzmsHeaderSize, blocks = 0, stored = 0;
    for (size_t left = data.size(); left > 0; ++blocks) {
        size_t length = left < 3000 ? left : 3000;
        uint32_t size = ReadU32(packed, at);
        stored += size == length;
        at += 4 + size;
        left -= length;
    }
    EXPECT_EQ(at, packed.size());
    EXPECT_EQ(blocks, 7u);
    EXPECT_GE(stored, 2u);
    EXPECT_LT(stored, blocks);
    std::vector<uint8_t> out;
    ASSERT_EQ(DecompressLzmsBuffer(packed.data(), packed.size(), &out), LZMS_OK);
    EXPECT_EQ(out, data);
    // A faster compression level changes the streams only.
    std::vector<uint8_t> quick;
    ASSERT_EQ(CompressLzmsBufferWithOptions(data.data(), data.size(), 3000, 10, &quick), LZMS_OK);
    EXPECT_EQ(0, std::memcmp(quick.data(), packed.data(), kLzmsHeaderSize));
    ASSERT_EQ(DecompressLzmsBuffer(quick.data(), quick.size(), &out), LZMS_OK);
    EXPECT_EQ(out, data);
}

TEST(LzmsBuffer, RefusesBadArguments) {
    std::vector<uint8_t> out;
    uint8_t byte = 0;
    EXPECT_EQ(CompressLzmsBuffer(&byte, 1, nullptr), LZMS_ERROR_ARGUMENT);
    EXPECT_EQ(CompressLzmsBuffer(nullptr, 10, &out), LZMS_ERROR_ARGUMENT);
    EXPECT_EQ(CompressLzmsBufferWithOptions(&byte, 1, 0, 0, &out), LZMS_ERROR_ARGUMENT);
    EXPECT_EQ(CompressLzmsBufferWithOptions(&byte, 1, kLzmsMaxBlockSize + 1, 0, &out), LZMS_ERROR_ARGUMENT);
    EXPECT_EQ(DecompressLzmsBuffer(nullptr, 0, &out), LZMS_ERROR_ARGUMENT);
}

TEST(LzmsBuffer, EveryTruncationIsRefusedWithEmptyOutput) {
    std::vector<uint8_t> data = MakeMixedData(7000);
    std::vector<uint8_t> packed;
    ASSERT_EQ(CompressLzmsBufferWithOptions(data.data(), data.size(), 2048, 0, &packed), LZMS_OK);
    for (size_t length = 0; length < packed.size(); ++length) {
        std::vector<uint8_t> out(3, 7);
        EXPECT_LT(DecompressLzmsBuffer(packed.data(), length, &out), 0) << length;
        EXPECT_TRUE(out.empty());
    }
    packed.push_back(0);  // a byte after the last block
    std::vector<uint8_t> out;
    EXPECT_EQ(DecompressLzmsBuffer(packed.data(), packed.size(), &out), LZMS_ERROR_TRUNCATED);
}

TEST(LzmsBuffer, ForgedHeadersAreRefusedBeforeAllocating) {
    std::vector<uint8_t> good = ReadWholeFile(FixturePath("english", ".lzms"));
    ASSERT_FALSE(good.empty());
    struct Case { const char* what; int offset; uint64_t value; int fixCheck; int expected; };
    const Case cases[] = {
        {"magic", 0, 0x12345678, 1, LZMS_ERROR_HEADER},
        {"header size", 4, 0x20, 1, LZMS_ERROR_HEADER},
        {"check byte", 6, 0, 0, LZMS_ERROR_HEADER},
        {"algorithm", 7, 4, 1, LZMS_ERROR_HEADER},
        {"total 4 GiB", 8, 1ull << 32, 1, LZMS_ERROR_HEADER},
        {"total 1 TiB", 8, 1ull << 40, 1, LZMS_ERROR_HEADER},
        {"total more than the blocks hold", 8, 4000000000ull, 1, LZMS_ERROR_TRUNCATED},
        {"block size 0", 16, 0, 1, LZMS_ERROR_HEADER},
        {"block size 1 GiB", 16, 1ull << 30, 1, LZMS_ERROR_HEADER},
        {"block size smaller", 16, 100, 1, LZMS_ERROR_CORRUPT},
        {"stored size 0", 24, 0, 0, LZMS_ERROR_CORRUPT},
        {"stored size above block", 24, 1601, 0, LZMS_ERROR_CORRUPT},
        {"stored size past the end", 24, 1500, 0, LZMS_ERROR_TRUNCATED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> bad = good;
        if (c.offset == 0) for (int i = 0; i < 4; ++i) bad[i] = static_cast<uint8_t>(c.value >> (8 * i));
        else if (c.offset == 4) bad[4] = static_cast<uint8_t>(c.value);
        else if (c.offset == 6) bad[6] ^= 0xFF;
        else if (c.offset == 7) bad[7] = static_cast<uint8_t>(c.value);
        else if (c.offset == 24) for (int i = 0; i < 4; ++i) bad[24 + i] = static_cast<uint8_t>(c.value >> (8 * i));
        else PutU64(&bad, c.offset, c.value);
        if (c.fixCheck) FixCheckByte(&bad);
        std::vector<uint8_t> out;
        EXPECT_EQ(DecompressLzmsBuffer(bad.data(), bad.size(), &out), c.expected);
        EXPECT_TRUE(out.empty());
    }
}

TEST(LzmsBuffer, DamagedStreamsNeverCrash) {
    std::vector<uint8_t> data = MakeMixedData(9000);
    std::vector<uint8_t> packed;
    ASSERT_EQ(CompressLzmsBufferWithOptions(data.data(), data.size(), 4096, 0, &packed), LZMS_OK);
    std::mt19937 random(99);
    int refused = 0;
    for (int trial = 0; trial < 300; ++trial) {
        std::vector<uint8_t> bad = packed;
        for (int flips = 0; flips < 3; ++flips) {
            size_t at = kLzmsHeaderSize + random() % (bad.size() - kLzmsHeaderSize);
            bad[at] ^= static_cast<uint8_t>(1u << (random() % 8));
        }
        std::vector<uint8_t> out;
        int result = DecompressLzmsBuffer(bad.data(), bad.size(), &out);
        if (result == LZMS_OK) EXPECT_EQ(out.size(), data.size());
        else { ++refused; EXPECT_TRUE(out.empty()); }
    }
    EXPECT_GT(refused, 0);
}
