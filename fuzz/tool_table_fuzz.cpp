// Feeds arbitrary text to the tool table reader as a ".TTL" file the way the program reads it (every
// defined tool is then made current and its profile built), then to the holder file reader; the helper
// files "h.atl", "a.dxf" and "b.dxf" give "ATL" and "IMPORT-TOOL" lines something to read.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/ui/shell_services.h"
#include "fuzz/fuzz_input_file.h"
#include "machine_setup/tools/current_tool.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/tools/tool_profile.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/tools/tool_table.h"
#include "machine_setup/settings/work_settings.h"

namespace {

const char kOutlineDxf[] =
    "999|milling tool outline|0|SECTION|2|TABLES|0|TABLE|2|LTYPE|70|3|0|LTYPE|2|CONTINUOUS|"
    "70|0|3|Solid line|72|65|73|0|40|0.0|0|LTYPE|2|DASHED|70|0|3|__ __ __|72|65|73|2|40|0.75|"
    "49|0.5|49|-0.25|0|LTYPE|2|CENTER|70|0|3|____ _ ____|72|65|73|4|40|2.0|49|1.25|49|-0.25|"
    "49|0.25|49|-0.25|0|ENDTAB|0|ENDSEC|0|SECTION|2|ENTITIES|0|LINE|8|0|6|CENTER|62|5|10|5|"
    "20|-1|30|0.0|11|5|21|65|31|0.0|0|LINE|8|0|6|CENTER|62|3|10|20|20|62|30|0.0|11|5|21|62|"
    "31|0.0|0|LINE|8|0|6|CONTINUOUS|62|1|10|10|20|3|30|0.0|11|10|21|22|31|0.0|0|CIRCLE|8|0|"
    "10|30|20|30|40|3|0|ARC|8|0|6|DASHED|62|2|10|10|20|23|30|0.0|40|1|50|180|51|270|0|LINE|8|"
    "0|6|CONTINUOUS|62|1|10|9|20|2|30|0.0|11|5|21|2|31|0.0|0|ARC|8|0|6|CONTINUOUS|62|1|10|9|"
    "20|3|30|0.0|40|1|50|270|51|0|0|TEXT|8|0|10|0|20|0|40|1|1|LINE|0|LINE|8|0|6|DASHED|62|2|"
    "10|9|20|23|30|0.0|11|9|21|42|31|0.0|0|LINE|8|0|6|CENTER|62|3|10|20|20|42|30|0.0|11|20|"
    "21|62|31|0.0|0|LINE|8|0|6|CENTER|62|3|10|9|20|42|30|0.0|11|20|21|42|31|0.0|0|ENDSEC|0|"
    "EOF|";
const char kArcsDxf[] =
    "0|SECTION|2|ENTITIES|0|LINE|8|0|10|0|20|0|30|0.0|11|1|21|0|31|0.0|0|ARC|8|0|10|1.5|20|0|"
    "30|0.0|40|0.5|50|180|51|0|0|ARC|8|0|10|2.5|20|0|30|0.0|40|0.5|50|180|51|0|0|ARC|8|0|10|"
    "3.5|20|0|30|0.0|40|0.5|50|180|51|0|0|ARC|8|0|10|4.5|20|0|30|0.0|40|0.5|50|180|51|0|0|"
    "ARC|8|0|10|5.5|20|0|30|0.0|40|0.5|50|180|51|0|0|ARC|8|0|10|6.5|20|0|30|0.0|40|0.5|50|"
    "180|51|0|0|ENDSEC|0|EOF|";

// The helper texts are kept on one line with "|" for each line end.
void WriteHelperFile(const char* name, const char* barText) {
    std::string text = barText;
    for (char& c : text) {
        if (c == '|') c = '\n';
    }
    WriteFuzzScratchFile(name, text.c_str());
}

void PrepareToolScratch() {
    static int prepared = 0;
    if (prepared) return;
    PrepareFuzzScratch(".ttl");
    WriteHelperFile("h.atl", "# holder|ARBOR2 40, 20, 50, 30, 60, 10|");
    WriteHelperFile("a.dxf", kOutlineDxf);
    WriteHelperFile("b.dxf", kArcsDxf);
    g_MaxMagazine = 200;
    AllocateToolArrays();
    prepared = 1;
}

// The settings that change how a read ends follow the input length, so that all of them are reached.
void SetReadSettings(size_t size) {
    g_ToolBasePoint = (int)(size % 6);
    g_ArborClearanceMode = (int)(size / 6 % 3);
    g_ArborClearance = 1.5;
    g_ToolClearanceMode = (int)(size / 18 % 3);
    g_ToolClearance = 0.5;
    g_HeightCheckType = (int)(size / 54 % 3);
    const int runCheck = (int)(size / 162 % 2);  // the needed-length output of a batch run
    g_RunMode = runCheck;
    g_OutputLengthCheckAll = runCheck;
    g_ArborCheck = runCheck;
    g_WorkPitch = 0.5;
    g_CmdToolNumber = 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PrepareToolScratch();
    const char* path = WriteFuzzInput(data, size);
    std::snprintf(g_ToolTableFilePath, sizeof(g_ToolTableFilePath), "%s", path);
    SetReadSettings(size);
    if (ReadToolTableFile() != 1) std::abort();  // the file exists: it must be read
    for (int n = 0; n < g_ToolArrayCapacity; n++) {
        if (g_ToolTable[n].defined) SelectCurrentTool(n, g_WorkPitch);
    }
    SelectCurrentTool(-1, 0);
    SelectCurrentTool(g_ToolArrayCapacity, 0);
    // The same bytes as a holder file: its first ARBOR, ARBOR2 or ARBOR3 line is taken.
    char arborName[256];
    std::snprintf(arborName, sizeof(arborName), "%s", path);
    ArborRecord arbor;
    const int arborResult = ReadArborFile(arborName, &arbor);
    if (arborResult < 0 || arbor.stepCount < 0 || arbor.stepCount > ARBOR_MAX_STEPS) std::abort();
    // The names and outlines are freed here; a new read frees them as well, so memory cannot grow.
    FreeToolShapeBuffers();
    return 0;
}
