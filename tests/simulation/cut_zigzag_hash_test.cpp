// Fixed zig-zags of a ball, a flat and a bull (along Z, tilted, along X and reversed) over a box work on 1, 2 and 8
// cutting threads: the ends, attributes and line tags of every ray of the three families hash to
// recorded values, the summed removed volume is the recorded one to the bit and the display blocks
// each position marks hash to a recorded value, so that a change of the kernel that alters any
// result shows here and the thread count changes none.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <iomanip>
#include <ostream>

#include "tests/simulation/cut_test_support.h"

namespace {

struct ZigZagCase {
    const char* name;
    int type;
    double diameter, cornerRadius, tiltDegrees;
    uint64_t hash;  // HashWorkRays of the cut work
    double volume;  // sum of the removed volumes of the positions
    uint64_t marksHash;  // the display blocks marked by each position, hashed in turn
    double axis[3] = {0.0, 0.0, 0.0};  // the tool axis where not all 0 (then tiltDegrees is not used)
};

const ZigZagCase kCases[] = {
    {"BallAlongZ", TOOL_BALL, 10, 5, 0, 0x112b6690462399daull, 1889.0902498602011, 0xa7b9ab52c16262e3ull},
    {"BallTilted30", TOOL_BALL, 10, 5, 30, 0xf6a04091c17481c4ull, 2332.2227345012375, 0x6fd72389612a54e9ull},
    {"FlatAlongZ", TOOL_FLAT, 10, 0, 0, 0x2e3e442a72d2e83bull, 2460.0207101979854, 0x163fd19ce937956dull},
    {"BullTilted30", TOOL_BULL, 12, 2, 30, 0x4778c5f366db3657ull, 3702.3459439499279, 0x2b5de9baa3bb7572ull},
    {"BullAlongZ", TOOL_BULL, 12, 2, 0, 0xd0b595aa31a42427ull, 2561.6355584924172, 0xaaf3851297f45ec0ull},
    // Axes along the grid that put a cross axis of the X- and Y-rays (along X) or of the Y- and
    // Z-rays (reversed, the tool pointing down) on the tool axis.
    {"BallAlongX", TOOL_BALL, 10, 5, 90, 0x99f77bec091ea43cull, 5000.0288068311065, 0x6002ff70f78b54baull},
    {"FlatReversed", TOOL_FLAT, 10, 0, 180, 0xe4e7e54479e9925cull, 9709.5693903623487, 0xa3eab5adaea87a9dull},
    // Axes tilted out of the XZ plane, up and down: every family's rays cross them obliquely with
    // both cross components of the axis not 0.
    {"BullStrongTilt", TOOL_BULL, 12, 2, 0, 0x16fe06b645206a7aull, 4132.2120393666601, 0x7c528b9db27e8a17ull,
      {0.5, -0.4, 0.768}},
    {"BallSteepDown", TOOL_BALL, 10, 5, 0, 0x7066f06ea7a3cc55ull, 9000.9324545150157, 0x3365be75ef0ab1a8ull,
      {-0.3, 0.2, -0.93}},
    {"FlatStrongTilt", TOOL_FLAT, 10, 0, 0, 0x1d0154cafbf8017eull, 4225.5438247372304, 0x6c4a710c507eeb18ull,
      {-0.4, 0.5, 0.768}},
};

void PrintTo(const ZigZagCase& c, std::ostream* os) { *os << c.name; }

// One position cut with the display-block marks cleared before it; the blocks it marked are
// hashed into *marksHash. Returns its removed volume.
double CutOnceHashingMarks(WorkModel* work, const double tip[3], const double axis[3], int line, uint64_t* marksHash)
{
    std::fill(work->changedBlocks, work->changedBlocks + work->blockCount, uint8_t(0));
    const double volume = CutOnce(work, tip, axis, line);
    for (int b = 0; b < work->blockCount; b++)
        *marksHash = (*marksHash ^ work->changedBlocks[b]) * 1099511628211ull;
    return volume;
}

// Cuts the zig-zag: rows along X at move pitch 0.2, 3 deep, a step-over of 3 between rows, each
// position tagged with its own line number. Returns the summed removed volume; *marksHash receives
// the hash of the display blocks each position marked (cleared before each).
double CutZigZag(WorkModel* work, const ZigZagCase& c, uint64_t* marksHash)
{
    *marksHash = 14695981039346656037ull;
    ToolRecord tool = MakeToolRecord(c.type, c.diameter, c.cornerRadius, 20);
    if (MakeCuttingToolCurrent(1, &tool, nullptr, nullptr, 3) != 1) return -1.0;
    const double tilt = c.tiltDegrees * 3.14159265358979323846 / 180.0;
    double axis[3] = {std::sin(tilt), 0.0, std::cos(tilt)};
    const double length = std::sqrt(c.axis[0] * c.axis[0] + c.axis[1] * c.axis[1] + c.axis[2] * c.axis[2]);
    if (length > 0.0)
        for (int k = 0; k < 3; k++) axis[k] = c.axis[k] / length;
    double volume = 0.0;
    int line = 1;
    double direction = 1.0;
    for (double y = 5.0; y <= 25.0; y += 3.0) {
        for (int k = 0; k <= 100; k++) {
            const double x = direction > 0 ? 5.0 + 0.2 * k : 25.0 - 0.2 * k;
            const double tip[3] = {x, y, 12.0};
            volume += CutOnceHashingMarks(work, tip, axis, line++, marksHash);
        }
        direction = -direction;
    }
    return volume;
}

class CutZigZagHash : public ::testing::TestWithParam<ZigZagCase> {
protected:
    void TearDown() override
    {
        SetCuttingThreadCount(0);
        g_CutRaysPerThread = CUT_RAYS_PER_THREAD;
    }
};

// Cuts a fresh 30 x 30 x 15 box at pitch 0.2 with `cut` on each thread count and compares the
// rays, the removed volume and the marked blocks with the recorded ones.
void ExpectRecordedCuts(const ZigZagCase& c, std::initializer_list<int> threadCounts,
                        double (*cut)(WorkModel*, const ZigZagCase&, uint64_t*))
{
    g_CutRaysPerThread = 16;
    for (int threads : threadCounts) {
        SCOPED_TRACE(threads);
        WorkModel work{};
        const double lo[3] = {0, 0, 0}, hi[3] = {30, 30, 15};
        ASSERT_EQ(BuildBoxWork(&work, lo, hi, 0.2), 1);
        PrepareWorkForCutting(&work);
        ResetCutSettings();
        SetCuttingThreadCount(threads);
        uint64_t marksHash = 0;
        const double volume = cut(&work, c, &marksHash);
        EXPECT_EQ(HashWorkRays(work), c.hash) << std::hex << HashWorkRays(work);
        EXPECT_EQ(volume, c.volume) << std::setprecision(17) << volume;
        EXPECT_EQ(marksHash, c.marksHash) << std::hex << marksHash;
        DestroyWorkModel(&work);
    }
}

TEST_P(CutZigZagHash, RaysAndVolumeMatchTheRecordedOnesOnAnyThreadCount)
{
    ExpectRecordedCuts(GetParam(), {1, 2, 8}, CutZigZag);
}

INSTANTIATE_TEST_SUITE_P(ZigZags, CutZigZagHash, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ZigZagCase>& info) { return info.param.name; });

// Crossed zig-zags of a D2 tool whose grooves stay apart: rows along X 6 apart and 3 deep, then
// rows along Y 2.5 apart and 1 deep across them, so that rays hold many intervals (X-rays near the
// top more than 16 ends, past the short scan of a ray's ends) and the tool meets interval ends
// from both sides of a ray and gaps it does not reach.
const ZigZagCase kCrossedCases[] = {
    {"BallD2AlongZ", TOOL_BALL, 2, 1, 0, 0xd27d918c440df8d7ull, 871.44618812575527, 0x7f26b2f53953bb5bull},
    {"FlatD2AlongZ", TOOL_FLAT, 2, 0, 0, 0x05b6e084d353c829ull, 1016.4088375008993, 0x7f26b2f53953bb5bull},
};

double CutCrossedZigZags(WorkModel* work, const ZigZagCase& c, uint64_t* marksHash)
{
    *marksHash = 14695981039346656037ull;
    ToolRecord tool = MakeToolRecord(c.type, c.diameter, c.cornerRadius, 20);
    if (MakeCuttingToolCurrent(1, &tool, nullptr, nullptr, 3) != 1) return -1.0;
    const double axis[3] = {0.0, 0.0, 1.0};
    double volume = 0.0;
    int line = 1;
    for (int pass = 0; pass < 2; pass++) {
        double direction = 1.0;
        for (double row = 3.0; row <= 27.0; row += pass == 0 ? 6.0 : 2.5) {
            for (int k = 0; k <= 120; k++) {
                const double along = direction > 0 ? 3.0 + 0.2 * k : 27.0 - 0.2 * k;
                const double tip[3] = {pass == 0 ? along : row, pass == 0 ? row : along, pass == 0 ? 12.0 : 14.0};
                volume += CutOnceHashingMarks(work, tip, axis, line++, marksHash);
            }
            direction = -direction;
        }
    }
    return volume;
}

class CutCrossedZigZagHash : public CutZigZagHash {};

TEST_P(CutCrossedZigZagHash, RaysAndVolumeMatchTheRecordedOnesOnAnyThreadCount)
{
    ExpectRecordedCuts(GetParam(), {1, 8}, CutCrossedZigZags);
}

INSTANTIATE_TEST_SUITE_P(ZigZags, CutCrossedZigZagHash, ::testing::ValuesIn(kCrossedCases),
                         [](const ::testing::TestParamInfo<ZigZagCase>& info) { return info.param.name; });

}  // namespace
