// Runs arbitrary bytes as an NC program through motion delivery to its end: canned cycles, cutter
// compensation, sub-program calls (memory and files), rapid planning and record marks, in the dialect,
// run type and rapid mode chosen by the first byte. Each input is bounded by a number of calls.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/controller/offset_memories.h"
#include "machine_setup/settings/work_settings.h"
#include "nc/block_state.h"
#include "nc/interpreter_state.h"
#include "nc/nc_line_reader.h"
#include "nc/nc_motion.h"
#include "platform/ui/progress.h"
#include "nc/subprograms.h"

namespace {

constexpr int MAX_CALLS_PER_INPUT = 200000;

char g_ProgramFolder[256] = {};
char g_ProgramPath[256] = {};

void RemoveProgramFolder()
{
    if (g_ProgramPath[0] != '\0') unlink(g_ProgramPath);
    if (g_ProgramFolder[0] != '\0') rmdir(g_ProgramFolder);
}

// The program file of this process, alone in a folder of its own (made once, removed at exit), so
// that sub-program file calls find nothing but the program itself.
int WriteProgram(const uint8_t* data, size_t size)
{
    if (g_ProgramPath[0] == '\0') {
        std::snprintf(g_ProgramFolder, sizeof g_ProgramFolder, "/tmp/qumbra_motion_fuzz_XXXXXX");
        if (mkdtemp(g_ProgramFolder) == nullptr) return 0;
        std::snprintf(g_ProgramPath, sizeof g_ProgramPath, "%s/P.NC", g_ProgramFolder);
        std::atexit(RemoveProgramFolder);
    }
    FILE* file = std::fopen(g_ProgramPath, "wb");
    if (file == nullptr) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    return 1;
}

void SetUpRun(uint8_t mode)
{
    ResetControllerSettings();
    if ((mode >> 3) & 1) ApplyControllerLine("RUN TYPE MEMORY");
    if ((mode >> 5) & 1) ApplyControllerLine("EOR = %");
    if ((mode >> 6) & 1) ApplyControllerLine("DECIMAL POINT NORMAL");
    ComputePlaneCodesFromAxisChars();
    const int dialect = mode % 3;
    g_DialectOsp = dialect == 1;
    g_DialectSiemens = dialect == 2;
    g_DialectCode = dialect == 1 ? DIALECT_OSP : DIALECT_DEFAULT;
    g_G00Mode = (mode >> 4) & 1 ? ((mode >> 7) & 1 ? 2 : 1) : 0;
    g_MovePitch = 1.0;
    g_RadiusCheckEnabled = 1;  // gouges raise the flag; no list is written
    g_RadiusCheckList = 0;
    for (int d = 1; d < 4; ++d) g_ToolOffsetD[d] = (float)(d * 2.5);
    g_ControlPoint = AxisPosition{};
    std::snprintf(g_NcFilePath, sizeof g_NcFilePath, "%s", g_ProgramPath);
    g_SubprogramFolder[0] = '\0';
    ClearFileTime(&g_NcExtentsFileTime);
    if (g_RunFromMemory) IndexNcFile();
    ResetInterpreterState();
}

void CloseFiles()
{
    if (g_NcFile != nullptr) std::fclose(g_NcFile);
    g_NcFile = nullptr;
    for (FILE*& file : g_SubprogramFiles) {
        if (file != nullptr) std::fclose(file);
        file = nullptr;
    }
    g_SubprogramDepth = 0;
    if (g_AlarmListFile != nullptr) std::fclose(g_AlarmListFile);
    g_AlarmListFile = nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || !WriteProgram(data + 1, size - 1)) return 0;
    SetUpRun(data[0]);
    g_NcFile = std::fopen(g_ProgramPath, "rb");
    NcMotion motion = {};
    for (int k = 0; k < MAX_CALLS_PER_INPUT && !motion.last; ++k) FetchNcMotion(&motion);
    CloseFiles();
    return 0;
}
