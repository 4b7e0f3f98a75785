// Removed volume of tilted plunges against the analytic volume. A cylinder whose lower end disc lies
// wholly below the top face removes, by Cavalieri, its cross-section times the length of its axis
// between the disc and the top face, whatever the tilt: pi r^2 d / cos(theta) for a flat end mill with
// its tip at depth d; a ball end mill with its sphere centre at depth d adds the half ball below the
// equator disc. The three families of a tilted cut must also agree with each other.
#include <gtest/gtest.h>

#include <cmath>

#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/settings_file.h"
#include "tests/simulation/cut_test_support.h"

namespace {

const double kPi = 3.14159265358979323846;

class AcceptanceCutVolume : public ::testing::Test {
protected:
    // A fresh 40 x 40 x 20 box at pitch 0.25 for each case.
    void Begin()
    {
        const double lo[3] = {0, 0, 0}, hi[3] = {40, 40, 20};
        ASSERT_EQ(BuildBoxWork(&work, lo, hi, 0.25), 1);
        PrepareWorkForCutting(&work);
        ResetCutSettings();
    }
    void End() { DestroyWorkModel(&work); }

    double FamilyVolumes(double out[3])
    {
        out[0] = FamilyVolume(work, work.familyX, work.nodeCountY, work.nodeCountZ);
        out[1] = FamilyVolume(work, work.familyY, work.nodeCountZ, work.nodeCountX);
        out[2] = FamilyVolume(work, work.familyZ, work.nodeCountX, work.nodeCountY);
        return out[2];
    }

    WorkModel work{};
};

struct TiltCase {
    double tiltDegrees;
    double azimuthDegrees;
};

const TiltCase kTilts[] = {{0, 0}, {12, 0}, {30, 40}, {30, 200}, {45, 290}};

TEST_F(AcceptanceCutVolume, TiltedFlatPlungeRemovesPiRSquaredTimesTheAxisLength)
{
    for (const TiltCase& t : kTilts) {
        Begin();
        SCOPED_TRACE(testing::Message() << "tilt " << t.tiltDegrees << " azimuth " << t.azimuthDegrees);
        ToolRecord tool = MakeToolRecord(TOOL_FLAT, 10, 0, 60);
        ASSERT_EQ(MakeCuttingToolCurrent(1, &tool, nullptr, nullptr, 3), 1);
        const double theta = t.tiltDegrees * kPi / 180, phi = t.azimuthDegrees * kPi / 180;
        const double axis[3] = {std::sin(theta) * std::cos(phi), std::sin(theta) * std::sin(phi), std::cos(theta)};
        const double depth = 5;
        const double tip[3] = {20.07, 19.91, 20 - depth};
        double before[3], after[3];
        FamilyVolumes(before);
        const double removed = CutOnce(&work, tip, axis);
        FamilyVolumes(after);
        const double analytic = kPi * 25 * depth / std::cos(theta);
        EXPECT_NEAR(removed, analytic, 0.02 * analytic);
        for (int f = 0; f < 3; ++f) EXPECT_NEAR(before[f] - after[f], analytic, 0.03 * analytic) << "family " << f;
        EXPECT_EQ(CutOnce(&work, tip, axis), 0.0);
        End();
    }
}

TEST_F(AcceptanceCutVolume, TiltedBallPlungeAddsTheHalfBall)
{
    for (const TiltCase& t : kTilts) {
        Begin();
        SCOPED_TRACE(testing::Message() << "tilt " << t.tiltDegrees << " azimuth " << t.azimuthDegrees);
        ToolRecord tool = MakeToolRecord(TOOL_BALL, 10, 5, 60);
        ASSERT_EQ(MakeCuttingToolCurrent(1, &tool, nullptr, nullptr, 3), 1);
        const double theta = t.tiltDegrees * kPi / 180, phi = t.azimuthDegrees * kPi / 180;
        const double axis[3] = {std::sin(theta) * std::cos(phi), std::sin(theta) * std::sin(phi), std::cos(theta)};
        // Sphere centre 5.5 below the top face: the tip lies 5 further down along the axis.
        const double centreDepth = 5.5;
        const double centre[3] = {20.07, 19.91, 20 - centreDepth};
        double tip[3];
        for (int k = 0; k < 3; ++k) tip[k] = centre[k] - 5 * axis[k];
        double before[3], after[3];
        FamilyVolumes(before);
        const double removed = CutOnce(&work, tip, axis);
        FamilyVolumes(after);
        const double analytic = 2.0 / 3.0 * kPi * 125 + kPi * 25 * centreDepth / std::cos(theta);
        EXPECT_NEAR(removed, analytic, 0.02 * analytic);
        for (int f = 0; f < 3; ++f) EXPECT_NEAR(before[f] - after[f], analytic, 0.03 * analytic) << "family " << f;
        End();
    }
}

}  // namespace
