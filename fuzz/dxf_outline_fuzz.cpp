// Feeds arbitrary text to the DXF tool outline reader: it must read, refuse as malformed or find no
// outline, never crash, hang or write past the scratch array. A read outline is then classified and
// measured as the tool table does, and finally read through a tool table ("IMPORT-TOOL" with and without
// a LENGTH line) so that the tool profile is built from it as well.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_input_file.h"
#include "machine_setup/tools/current_tool.h"
#include "machine_setup/tools/dxf_outline.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/tools/tool_table.h"
#include "machine_setup/settings/work_settings.h"

namespace {

DxfProfileSegment g_Scratch[DXF_MAX_SEGMENTS];
std::string g_TablePath;

void PrepareDxfScratch(const char* inputPath) {
    if (!g_TablePath.empty()) return;
    const std::string table = std::string("MAGAZINE 1 X IMPORT-TOOL \"") + inputPath + "\"\n" +
                              "MAGAZINE 2 X IMPORT-TOOL \"" + inputPath + "\"\nLENGTH 50\nARBOR 30, 20\n";
    WriteFuzzScratchFile("t.ttl", table.c_str());
    g_TablePath = std::string(g_FuzzScratch.folder) + "/t.ttl";
    g_MaxMagazine = 11;
    AllocateToolArrays();
    g_ToolBasePoint = TOOL_BASE_BOTTOM;
    g_WorkPitch = 0.5;
}

void CheckAndMeasure(int result, int count) {
    if (result != DXF_READ_OK && count != 0) std::abort();   // a failure gives no segments
    if (count < 0 || count > DXF_MAX_SEGMENTS) std::abort();
    if (result != DXF_READ_OK) return;
    int classStart[3] = {-1, -1, -1};
    ClassifyDxfProfileSegments(count, classStart, g_Scratch);
    for (int k = 0; k < 3; k++) {
        if (classStart[k] < -1 || classStart[k] >= count) std::abort();
    }
    int scanEnd = 0;
    float d = 0, r = 0, h = 0, l6 = 0, l1 = 0, hd = 0, hl = 0;
    AnalyseDxfToolProfile(count, classStart, &scanEnd, g_Scratch, &d, &r, &h, &l6, &l1, &hd, &hl);
    CountDxfOutlinePoints(count, g_Scratch);
    double minimum[2] = {0, 0}, maximum[2] = {0, 0};
    ComputeDxfProfileBox(count, g_Scratch, minimum, maximum);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PrepareFuzzScratch(".dxf");
    const char* path = WriteFuzzInput(data, size);
    PrepareDxfScratch(path);
    int count = -7;
    double extents[2] = {0, 0};
    const int result = ReadDxfToolProfile(path, &count, g_Scratch, extents);
    if (result < DXF_READ_MALFORMED || result > DXF_READ_OK || result == DXF_READ_CANNOT_OPEN) std::abort();
    CheckAndMeasure(result, count);
    std::snprintf(g_ToolTableFilePath, sizeof(g_ToolTableFilePath), "%s", g_TablePath.c_str());
    if (ReadToolTableFile() != 1) std::abort();
    SelectCurrentTool(1, g_WorkPitch);
    SelectCurrentTool(2, g_WorkPitch);
    FreeToolShapeBuffers();
    return 0;
}
