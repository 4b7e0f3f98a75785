// System information: the decision table from version data to code, build and name, the release texts,
// and what this platform reports.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/ui/shell_services.h"
#include "app/system_info.h"

namespace {

OsVersionData Nt(int major, int minor, int productType = 1)
{
    OsVersionData data;
    std::memset(&data, 0, sizeof data);
    data.major = major;
    data.minor = minor;
    data.extendedOk = 1;
    data.productType = productType;
    return data;
}

OsVersionData ReportedEight(int realMajor, int realMinor, int realBuild, int productType = 1)
{
    OsVersionData data = Nt(6, 2, productType);
    data.realVersionOk = 1;
    data.realMajor = realMajor;
    data.realMinor = realMinor;
    data.realBuild = realBuild;
    return data;
}

struct VersionCase {
    OsVersionData data;
    int code;
    int build;
    const char* name;
};

TEST(SystemInfo, DecisionTableGivesCodeBuildAndName)
{
    OsVersionData xpHome = Nt(5, 1);
    xpHome.suiteMask = 0x200;
    std::strcpy(xpHome.service, "Service Pack 3");
    OsVersionData win98 = Nt(4, 10);
    win98.family16 = 1;
    std::strcpy(win98.service, " A");
    OsVersionData unknown = Nt(9, 0);
    OsVersionData eightNoReal = Nt(6, 2);
    const VersionCase cases[] = {
        {ReportedEight(10, 0, 19045), 75, 19045, "10 Ver 22H2"},
        {ReportedEight(10, 0, 22631), 75, 22631, "11 Ver 23H2"},
        {ReportedEight(10, 0, 27000), 75, 27000, "11 Build27000"},
        {ReportedEight(10, 0, 20348, 3), 76, 20348, "Server 2022 21H2"},
        {ReportedEight(10, 0, 26100, 3), 76, 26100, "Server Build26100"},
        {ReportedEight(10, 0, 16299), 70, 16299, "10 Ver 1709"},
        {ReportedEight(10, 0, 14393, 3), 71, 14393, "Server 2016"},
        {ReportedEight(6, 3, 9600), 65, 0, "8.1"},
        {eightNoReal, 60, 0, "8"},
        {Nt(6, 1), 50, 0, "7"},
        {Nt(6, 0, 3), 41, 0, "Server 2008"},
        {xpHome, 24, 0, "XP Home(SP3)"},
        {Nt(5, 2, 2), 30, 0, "Server 2003"},
        {win98, 13, 0, "98 Second Edition"},
        {unknown, 0, 0, ""},
    };
    for (const VersionCase& c : cases) {
        int build = -1;
        char name[OS_NAME_SIZE];
        EXPECT_EQ(DecideOsVersion(&c.data, &build, name, sizeof name), c.code) << c.name;
        EXPECT_EQ(build, c.build) << c.name;
        EXPECT_STREQ(name, c.name);
    }
}

TEST(SystemInfo, ReleaseTextsAndThisPlatform)
{
    char text[32];
    FormatWin10ReleaseId(0, text, sizeof text);
    EXPECT_STREQ(text, "");
    FormatWin10ReleaseId(12345, text, sizeof text);
    EXPECT_STREQ(text, " Build12345");
    FormatWin11ReleaseId(26100, text, sizeof text);
    EXPECT_STREQ(text, " Ver 24H2");
    int code = 0;
    int build = -1;
    char name[OS_NAME_SIZE] = "x";
    EXPECT_EQ(GetOsDescription(&code, &build, name), 200);   // Linux is not in the table
    EXPECT_EQ(build, 0);
    EXPECT_STREQ(name, "");
    GetProcessorInfo();
    EXPECT_GE(g_ProcessorCount, 1);
    double total = 0, available = 0, page = 0, freePage = 0, virt = 0, freeVirt = 0;
    GetMemoryStatusKb(&total, &available, &page, &freePage, &virt, &freeVirt);
    EXPECT_GT(total, 0.0);
    EXPECT_LE(available, total);
    EXPECT_LE(freeVirt, virt);
}

}  // namespace
