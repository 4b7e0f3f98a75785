// The system description: the decision table that turns version data into a code and a name, the
// release texts by build, and the probes of processors, memory and windows.
#include "app/system_info.h"

#include <cstdio>
#include <cstring>
#include <strings.h>
#include <sys/sysinfo.h>

#include "platform/ui/shell_services.h"
#include "platform/os/thread.h"
#include "platform/ui/ui_backend.h"

int g_WindowsBuild = 0;
char g_OsName[OS_NAME_SIZE] = "";
int g_ProcessorCount = 1;

namespace {

struct ReleaseName {
    int build;
    const char* text;
};

const ReleaseName kWin10Releases[] = {
    {10240, "1507"}, {10586, "1511"}, {14393, "1607"}, {15063, "1703"}, {16299, "1709"}, {17134, "1803"},
    {17763, "1809"}, {18363, "1909"}, {19041, "2004"}, {19042, "20H2"}, {19043, "21H1"}, {19044, "21H2"},
    {19045, "22H2"},
};
const ReleaseName kWin11Releases[] = {
    {21996, "PREV"}, {22000, "21H2"}, {22621, "22H2"}, {22631, "23H2"}, {26100, "24H2"}, {26200, "25H2"},
};
const ReleaseName kServerNames[] = {
    {17763, "Server 2019"}, {18363, "Server,version1909"}, {19041, "Server,version2004"},
    {19042, "Server,version20H2"}, {20348, "Server 2022 21H2"},
};

const char* FindRelease(const ReleaseName* table, int count, int build)
{
    for (int i = 0; i < count; ++i) {
        if (table[i].build == build) return table[i].text;
    }
    return nullptr;
}

void FormatReleaseId(const ReleaseName* table, int count, int build, char* text, int size)
{
    const char* release = FindRelease(table, count, build);
    if (release != nullptr) std::snprintf(text, size, " Ver %s", release);
    else if (build != 0) std::snprintf(text, size, " Build%d", build);
    else if (size > 0) text[0] = '\0';
}

int IsServer(const OsVersionData* data) { return data->productType == 3; }
int ServerOr(const OsVersionData* data, int workstation) { return workstation + (IsServer(data) ? 1 : 0); }

// Major 5: XP Home / XP (Pro) for a workstation by the personal suite; Server 2003 for minor 2.
int DecideMajorFive(const OsVersionData* data)
{
    const int personal = (data->suiteMask & 0x200u) != 0;
    if ((data->minor == 1 || data->minor == 2) && data->productType == 1) return personal ? 24 : 25;
    if (data->minor == 2 && (data->productType == 2 || data->productType == 3)) return 30;
    return 0;
}

// Major 6 minor 2: what a program without newer compatibility is told; the real version decides.
int DecideReportedEight(const OsVersionData* data, int* build)
{
    if (!data->realVersionOk) return ServerOr(data, 60);
    if (data->realMajor != 10) return data->realMinor == 3 ? ServerOr(data, 65) : ServerOr(data, 60);
    *build = data->realBuild;
    return data->realBuild < 17763 ? ServerOr(data, 70) : ServerOr(data, 75);
}

void NameByCode(int code, int build, char* name, int size)
{
    static const ReleaseName kNames[] = {
        {40, "Vista"}, {41, "Server 2008"}, {50, "7"}, {51, "Server 2008 R2"}, {60, "8"}, {61, "Server 2012"},
        {65, "8.1"}, {66, "Server 2012(R2)"}, {71, "Server 2016"},
    };
    char release[32];
    if (code == 70 || (code == 75 && build <= 21995)) {
        FormatWin10ReleaseId(build, release, sizeof release);
        std::snprintf(name, size, "10%s", release);
    } else if (code == 75) {
        FormatWin11ReleaseId(build, release, sizeof release);
        std::snprintf(name, size, "11%s", release);
    } else if (code == 76) {
        const char* server = FindRelease(kServerNames, 5, build);
        if (server != nullptr) std::snprintf(name, size, "%s", server);
        else std::snprintf(name, size, "Server Build%d", build);
    } else {
        const char* text = FindRelease(kNames, 9, code);
        std::snprintf(name, size, "%s", text != nullptr ? text : "");
    }
}

int DecideSixteenBit(const OsVersionData* data, char* name, int size)
{
    int code = 0;
    if (data->major <= 3) code = 1;
    else if (data->minor == 0) code = strncasecmp(data->service, " B", 2) == 0 ? 11 : 10;
    else if (data->minor == 10) code = strncasecmp(data->service, " A", 2) == 0 ? 13 : 12;
    else if (data->minor == 90) code = 14;
    static const char* const kNames[] = {"3.1 with Win32s", "95", "95 OSR2", "98", "98 Second Edition", "Me"};
    const int index = code == 1 ? 0 : code >= 10 ? code - 9 : -1;
    std::snprintf(name, size, "%s", index >= 0 ? kNames[index] : "");
    return code;
}

const char* LegacySuffix(int level)
{
    return level == 1 ? "_2K" : level == 2 ? "_XP" : level == 3 ? "_S2" : "";
}

// The legacy update suffix and the service pack mark.
void AppendNameSuffixes(const OsVersionData* data, int code, char* name, int size)
{
    const int level = data->legacyLevel;
    const int always = code == 10 || code == 12 || code == 13 || code == 14 || code == 22;
    const int xpMinorOne = data->major == 5 && data->minor == 1 && (code == 24 || code == 25);
    if (level > 0 && (always || (code == 23 && level > 1) || (xpMinorOne && level > 2))) {
        std::strncat(name, LegacySuffix(level), size - std::strlen(name) - 1);
    }
    if (strncasecmp(data->service, "Service Pack ", 13) == 0 && std::strlen(data->service) >= 14) {
        char mark[8];
        std::snprintf(mark, sizeof mark, "(SP%c)", data->service[13]);
        std::strncat(name, mark, size - std::strlen(name) - 1);
    }
}

}  // namespace

void FormatWin10ReleaseId(int build, char* text, int size) { FormatReleaseId(kWin10Releases, 13, build, text, size); }
void FormatWin11ReleaseId(int build, char* text, int size) { FormatReleaseId(kWin11Releases, 6, build, text, size); }

int DecideOsVersionNumbers(const OsVersionData* data, int* build)
{
    *build = 0;
    if (!data->extendedOk) return 0;
    if (data->major == 5) return DecideMajorFive(data);
    if (data->major == 6 && data->minor == 0) return ServerOr(data, 40);
    if (data->major == 6 && data->minor == 1) return ServerOr(data, 50);
    if (data->major == 6 && data->minor == 2) return DecideReportedEight(data, build);
    if (data->major == 6 && data->minor == 3) return ServerOr(data, 65);
    if (data->major == 10 && data->minor == 0) return ServerOr(data, 70);
    return ServerOr(data, 75);
}

int DecideOsVersion(const OsVersionData* data, int* build, char* name, int nameSize)
{
    *build = 0;
    if (nameSize > 0) name[0] = '\0';
    int code = 0;
    if (data->family16) {
        code = DecideSixteenBit(data, name, nameSize);
    } else if (data->major == 3) {
        code = data->minor == 50 ? 20 : 21;
        std::snprintf(name, nameSize, "%s", code == 20 ? "NT3.50" : "NT3.51");
    } else if (data->major == 4) {
        code = 22;
        std::snprintf(name, nameSize, "NT4.0");
    } else if (data->major == 5 && data->minor == 0) {
        code = 23;
        std::snprintf(name, nameSize, "2000");
    } else if (data->major == 5 && (data->minor == 1 || data->minor == 2)) {
        int ignored = 0;
        code = DecideOsVersionNumbers(data, &ignored);
        const char* xp = data->minor == 1 ? (code == 24 ? "XP Home" : code == 25 ? "XP Pro" : "XP")
                                          : (code == 24 ? "XP Home" : code == 25 ? "XP" : "Server 2003");
        std::snprintf(name, nameSize, "%s", xp);
    } else if (data->major == 6) {
        code = DecideOsVersionNumbers(data, build);
        NameByCode(code, *build, name, nameSize);
    } else {
        return 0;
    }
    AppendNameSuffixes(data, code, name, nameSize);
    return code;
}

int GetOsDescription(int* code, int* build, char* name)
{
    // This platform answers none of the version queries of the table: its data is that of a system the
    // table does not list.
    OsVersionData data;
    std::memset(&data, 0, sizeof data);
    *code = 200 + DecideOsVersion(&data, build, name, OS_NAME_SIZE);
    return *code;
}

void GetMemoryStatusKb(double* totalPhysical, double* freePhysical, double* totalPage, double* freePage,
                       double* totalVirtual, double* freeVirtual)
{
    struct sysinfo info;
    std::memset(&info, 0, sizeof info);
    sysinfo(&info);
    const double unit = info.mem_unit > 0 ? info.mem_unit : 1.0;
    *totalPhysical = info.totalram * unit / 1024.0;
    *freePhysical = info.freeram * unit / 1024.0;
    *totalPage = info.totalswap * unit / 1024.0;
    *freePage = info.freeswap * unit / 1024.0;
    // The address space of a 64-bit process (47 bits of user space), all of it counted as free but what
    // the physical memory in use takes.
    *totalVirtual = 137438953472.0;
    *freeVirtual = *totalVirtual - (*totalPhysical - *freePhysical);
}

int CountOtherWindows(WindowHandle window)
{
    WindowHandle windows[256];
    const int count = ListUiWindows(windows, 256);
    int others = 0;
    for (int i = 0; i < count && i < 256; ++i) {
        if (windows[i] != window && GetUiWindowParent(windows[i]) == nullptr) ++others;
    }
    return others;
}

void GetProcessorInfo() { g_ProcessorCount = GetProcessorCount(); }
