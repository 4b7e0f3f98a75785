// Shared set-up of the NC interpreter tests: default controller settings, a fresh interpreter state and
// NC text written to a temporary file that becomes the main program.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/controller/offset_memories.h"
#include "nc/interpreter_state.h"
#include "nc/nc_line_reader.h"

// Default controller settings (no file read), plane codes derived, interpreter reset.
inline void ResetNcTestState()
{
    if (g_NcFile != nullptr) {
        std::fclose(g_NcFile);
        g_NcFile = nullptr;
    }
    ResetControllerSettings();
    ComputePlaneCodesFromAxisChars();
    ResetInterpreterState();
}

// Writes bytes to a temporary file and opens it as the main program ("rb").
inline void OpenNcText(const std::string& bytes)
{
    if (g_NcFile != nullptr) std::fclose(g_NcFile);
    FILE* file = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::rewind(file);
    g_NcFile = file;
}

// Reads every line the reader delivers until the input has finished (or an alarm is raised).
inline std::vector<std::string> ReadAllNcLines(int maxCalls = 1000000)
{
    std::vector<std::string> lines;
    for (int k = 0; k < maxCalls && g_NcRunState < NC_RUN_FINISHED && g_NcAlarmCode == 0; ++k) {
        if (ReadNextNcLine()) lines.push_back(g_NcLineBuffer);
    }
    return lines;
}

// Adds one replacement rule to g_ReplaceRules through the controller's own "REPLACE" line reader.
inline bool AddReplaceRule(const std::string& from, const std::string& to)
{
    const std::string line = "REPLACE \"" + from + "\" \"" + to + "\"\n";
    return ReadReplaceRuleLine(line.c_str()) == 1;
}
