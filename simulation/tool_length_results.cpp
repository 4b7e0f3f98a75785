// The tool-length result line: its fields in order, in the interface language.
#include "simulation/tool_length_results.h"

#include <cstdio>

#include "machine_setup/machine_setup_state.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/tools/current_tool.h"
#include "platform/ui/shell_services.h"
#include "simulation/check_flags.h"
#include "simulation/interference_reports.h"

FILE* g_LengthOutputFile = nullptr;
int g_MeasureToolPending = 0;
void (*g_ToolTypeNameHook)(const ToolRecord*, char*, int) = nullptr;

namespace {

// One text of the line in the interface language.
const char* Text(const char* english, const char* japanese) { return g_EnglishUi ? english : japanese; }

void WriteToolField(FILE* file)
{
    char name[TOOL_NAME_MAX + 1] = "";
    if (g_CurrentTool.name != nullptr) {
        std::snprintf(name, sizeof name, "%s", g_CurrentTool.name);
    } else if (g_ToolTypeNameHook != nullptr) {
        g_ToolTypeNameHook(&g_CurrentTool, name, static_cast<int>(sizeof name));
    }
    if (g_PluginToolActive) {
        std::fprintf(file, "TMP:%s", name);
    } else {
        std::fprintf(file, "T%02d:%s", g_SpindleToolNumber, name);
    }
}

// The protrusion, neck and taper fields of ARBOR CHECK OUTPUT.
void WriteArborFields(FILE* file)
{
    const ToolMeasureResult& m = g_ToolMeasure;
    if (g_CurrentArbor.used) {
        std::fprintf(file, Text(":Length=%8.3f", ":突出=%8.3f以上"), m.length + 1.0);
        if (g_ReportedInterferenceCode > 0) PrintPartInterferenceTag(file);
    } else {
        std::fputs(Text(":ARBOR not defined ", ":ARBOR未定義（算出不能） "), file);
    }
    const int kind = g_CurrentToolLengthRecord.kind;
    if (kind >= 2 && kind <= 9) {
        if (g_TaperInterferenceCode > 0) {
            std::fprintf(file, Text(":Lu=%7.3f", ":首下=%7.3f以上"), m.lu + 1.0);
        } else if (m.lu != 0.0 && m.lt < 0.0) {
            std::fprintf(file, Text(":Lu=%7.3f or Lt= NG", ":首下=%7.3f or Lt= NG"), m.lu + 1.0);
        } else if (m.lu != 0.0) {
            std::fprintf(file, Text(":Lu=%7.3f or Lt=%7.3f", ":首下=%7.3f or Lt=%7.3f以上"), m.lu + 1.0, m.lt + 1.0);
        } else {
            std::fputs(Text(":Lu= Unsettled or Lt= Unsettled", ":首下= 不定 or Lt= 不定"), file);
        }
    }
    if (g_TaperInterferenceCode > 0) PrintTaperInterferenceTag(file);
}

void WriteChipWidthField(FILE* file)
{
    if (g_CurrentTool.type == TOOL_VERTICAL) {
        std::fprintf(file, Text(":TipW=%8.3f", ":チップ幅=%8.3f以上"), g_ToolMeasure.tipW);
    } else if (g_CurrentTool.type == TOOL_RADIUS) {
        std::fprintf(file, Text(":CenterH=%8.3f", ":中心高さ=%8.3f以上"), g_ToolMeasure.centerH);
    } else {
        std::fputs(Text(":NOT VERTICAL ", ":NOT VERTICAL（算出不能）"), file);
    }
}

}  // namespace

void WriteToolLengthResult()
{
    const int output = g_ArborCheck == 1 || g_HeightCheck == 1 || g_ChipWidthCheck == 1;
    if (!output || g_RunMode > 3 || g_MeasureToolPending != 1) return;
    FILE* file = g_LengthOutputFile;
    if (file != nullptr) {
        WriteToolField(file);
        if (g_ArborCheck == 1) WriteArborFields(file);
        if (g_HeightCheck == 1) {
            std::fprintf(file, Text(":Height=%8.3f", ":刃長=%8.3f以上"), g_ToolMeasure.height + 1.0);
        }
        if (g_ChipWidthCheck == 1) WriteChipWidthField(file);
        std::fputc('\n', file);
    }
    ToolMeasureResult& m = g_ToolMeasure;
    m.length = m.height = m.tipW = m.centerH = m.lu = m.lt = m.holderSearchLength = 0.0;
    g_ReportedInterferenceCode = 0;
    g_TaperInterferenceCode = 0;
    g_MeasureToolPending = 0;
}
