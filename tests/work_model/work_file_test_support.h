// Helpers of the work-file tests: a record that frees itself, temporary folders, file bytes and a
// comparison of two works ray by ray.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/os/files.h"
#include "tests/scoped_temp_folder.h"
#include "work_model/dexel_intervals.h"
#include "work_model/work_model.h"

struct WorkHolder {
    WorkModel work{};
    WorkHolder() { work.undoLevels = 1; }
    ~WorkHolder() { DestroyWorkModel(&work); }
};

// A fresh folder under the system's temporary folder, removed with its files at the end.
using TempFolder = ScopedTempFolder;

inline std::string FixturePath(const char* name)
{
    return std::string(QUMBRA_FIXTURE_DIR) + "/work_files/" + name;
}

inline std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::string text;
    ReadWholeFile(path.c_str(), &text);
    return std::vector<uint8_t>(text.begin(), text.end());
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

inline std::vector<double> RayEnds(const DexelFamily& f, int d)
{
    const double* ends = GetDexelEndsPointer(d, f.capacity, f.counts, f.ends);
    return std::vector<double>(ends, ends + std::max(f.counts[d], 0));
}

inline std::vector<int> RayAttributes(const DexelFamily& f, int d)
{
    const uint8_t* a = GetDexelAttributesPointer(d, f.capacity, f.counts, f.ends, f.attributes);
    return std::vector<int>(a, a + std::max(f.counts[d], 0));
}

inline std::vector<int32_t> RayValues(const DexelFamily& f, int d)
{
    const int32_t* v = GetDexelValuesPointer(d, f.capacity, f.counts, f.values);
    return std::vector<int32_t>(v, v + std::max(f.counts[d], 0));
}

// Counts, ends, attributes and values of every ray, the grid and (when asked) the placement equal.
inline void ExpectSameWork(const WorkModel& a, const WorkModel& b, bool placementToo = true)
{
    ASSERT_EQ(a.nodeCountX, b.nodeCountX);
    ASSERT_EQ(a.nodeCountY, b.nodeCountY);
    ASSERT_EQ(a.nodeCountZ, b.nodeCountZ);
    EXPECT_EQ(a.pitch, b.pitch);
    EXPECT_EQ(a.originX, b.originX);
    EXPECT_EQ(a.originY, b.originY);
    EXPECT_EQ(a.originZ, b.originZ);
    if (placementToo) {
        for (int k = 0; k < 9; k++) EXPECT_EQ(a.rotation[k], b.rotation[k]) << k;
        for (int k = 0; k < 3; k++) EXPECT_EQ(a.translation[k], b.translation[k]) << k;
        EXPECT_EQ(a.hasPlacement, b.hasPlacement);
    }
    const DexelFamily* fa[3] = {&a.familyX, &a.familyY, &a.familyZ};
    const DexelFamily* fb[3] = {&b.familyX, &b.familyY, &b.familyZ};
    int mismatches = 0;
    for (int f = 0; f < 3 && mismatches < 5; f++) {
        ASSERT_EQ(fa[f]->rayCount, fb[f]->rayCount);
        for (int d = 0; d < fa[f]->rayCount && mismatches < 5; d++) {
            const bool same = fa[f]->counts[d] == fb[f]->counts[d] &&
                              RayEnds(*fa[f], d) == RayEnds(*fb[f], d) &&
                              RayAttributes(*fa[f], d) == RayAttributes(*fb[f], d) &&
                              RayValues(*fa[f], d) == RayValues(*fb[f], d);
            if (!same) {
                ADD_FAILURE() << "family " << f << " ray " << d << " differs";
                mismatches++;
            }
        }
    }
}

// Marks some ends of a box work with pens, paint marks, tags, a split ray and a long ray.
inline void DecorateWork(WorkModel* work)
{
    DexelFamily& z = work->familyZ;
    z.attributes[0] = 0x31;
    z.values[1] = -123456;
    // Ends inside the grid, so that a reader's clamping to the grid changes nothing.
    const double z0 = work->coordinatesZ[0], zSpan = work->coordinatesZ[work->nodeCountZ - 1] - z0;
    const double y0 = work->coordinatesY[0], ySpan = work->coordinatesY[work->nodeCountY - 1] - y0;
    const double split[4] = {z0, z0 + 0.2 * zSpan, z0 + 0.4 * zSpan, z0 + zSpan};
    const uint8_t splitAttributes[4] = {0, 0xF0, 0x21, 0};
    const int32_t splitValues[4] = {0, 77, 78, 0};
    StoreDexelOfFamily(work, 2, 3, 4, split, splitAttributes, splitValues, 4);
    std::vector<double> longEnds;
    std::vector<uint8_t> longAttributes;
    std::vector<int32_t> longValues;
    for (int e = 0; e < 12; e++) {
        longEnds.push_back(y0 + e * ySpan / 16);
        longAttributes.push_back(uint8_t(e * 16 + (e & 1)));
        longValues.push_back(1000 + e);
    }
    StoreDexelOfFamily(work, 1, 5, 6, longEnds.data(), longAttributes.data(), longValues.data(), 12);
    StoreDexelOfFamily(work, 0, 7, 8, nullptr, nullptr, nullptr, 0);
}
