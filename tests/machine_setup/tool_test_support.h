// Helpers of the tool tests: a scratch folder for written files and the set-up of the tool arrays.
#pragma once
#include <cstdio>
#include <string>

#include "machine_setup/tools/current_tool.h"
#include "machine_setup/tools/tool_profile.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/tools/tool_table.h"
#include "machine_setup/settings/work_settings.h"
#include "tests/scoped_temp_folder.h"

inline std::string ToolTestFolder() { return ProgramTempFolder().path; }

inline std::string WriteToolTestFile(const std::string& name, const std::string& text) {
    std::string path = ToolTestFolder() + "/" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    return path;
}

// Fresh arrays for 200 tools and neutral settings.
inline void ResetToolSettings() {
    g_MaxMagazine = 200;
    AllocateToolArrays();
    g_ToolBasePoint = TOOL_BASE_BOTTOM;
    g_WorkPitch = 0.5;
    g_ArborClearanceMode = 0;
    g_ArborClearance = 0;
    g_ToolClearanceMode = 0;
    g_HeightCheckType = 0;
    g_CmdToolNumber = 0;
}

// Writes the text as a tool table and reads it.
inline int ReadToolTableText(const std::string& text, const std::string& name = "atc.ttl") {
    std::string path = WriteToolTestFile(name, text);
    std::snprintf(g_ToolTableFilePath, sizeof(g_ToolTableFilePath), "%s", path.c_str());
    return ReadToolTableFile();
}
