// Shared set-up of the sub-program, stop block and motion delivery tests: a temporary folder that is
// also the current folder while a test runs (files the interpreter writes there, like "alarm.txt", go
// with it), NC text written into it as the main program, and a reset interpreter.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/controller/offset_memories.h"
#include "nc/block_state.h"
#include "nc/interpreter_state.h"
#include "nc/nc_line_reader.h"
#include "platform/ui/progress.h"
#include "nc/subprograms.h"
#include "tests/scoped_temp_folder.h"

namespace motion_test {

// A fresh folder under the temporary folder, made the current folder; the previous current folder
// comes back and the folder goes with its contents at the end.
struct TempWorkFolder {
    ScopedTempFolder folder{"qmot"};  // removed after the destructor has left it
    std::string path;                 // ends in "/"
    std::string previous;
    TempWorkFolder()
    {
        path = folder.path.empty() ? std::string() : folder.path + "/";
        char cwd[4096];
        if (getcwd(cwd, sizeof cwd) != nullptr) previous = cwd;
        if (!path.empty() && chdir(path.c_str()) != 0) path.clear();
    }
    ~TempWorkFolder()
    {
        if (!previous.empty() && chdir(previous.c_str()) != 0) std::perror("chdir");
    }
    std::string File(const char* name) const { return path + name; }
};

inline std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// Default controller settings plus the given controller lines, then the interpreter reset with the
// control point at the origin.
inline void ResetWithController(const char* const* lines, int count)
{
    if (g_NcFile != nullptr) {
        std::fclose(g_NcFile);
        g_NcFile = nullptr;
    }
    for (int level = 0; level < MAX_SUBPROGRAM_DEPTH; ++level) {
        if (g_SubprogramFiles[level] != nullptr) std::fclose(g_SubprogramFiles[level]);
        g_SubprogramFiles[level] = nullptr;
    }
    FreeInMemoryProgramBuffers();
    ResetControllerSettings();
    for (int k = 0; k < count; ++k) ApplyControllerLine(lines[k]);
    ComputePlaneCodesFromAxisChars();
    g_ControlPoint = AxisPosition{};
}

// Writes the program as name in the folder, indexes it (when run from memory), resets the interpreter
// and opens the file as the main program. 1 when it opened.
inline int StartProgram(const TempWorkFolder& folder, const char* name, const std::string& text)
{
    const std::string path = folder.File(name);
    WriteText(path, text);
    std::snprintf(g_NcFilePath, sizeof g_NcFilePath, "%s", path.c_str());
    ClearFileTime(&g_NcExtentsFileTime);
    g_SubprogramFolder[0] = '\0';
    if (g_RunFromMemory) IndexNcFile();
    ResetInterpreterState();
    g_NcPreviousPosition = AxisPosition{};
    g_NcMoveStart = AxisPosition{};
    g_NcFile = std::fopen(path.c_str(), "rb");
    return g_NcFile != nullptr;
}

inline void CloseProgram()
{
    if (g_NcFile != nullptr) std::fclose(g_NcFile);
    g_NcFile = nullptr;
    for (int level = 0; level < MAX_SUBPROGRAM_DEPTH; ++level) {
        if (g_SubprogramFiles[level] != nullptr) std::fclose(g_SubprogramFiles[level]);
        g_SubprogramFiles[level] = nullptr;
    }
    g_SubprogramDepth = 0;
}

// A test with its own current folder; the program, the index and the controller settings go at the end.
class ProgramTest : public ::testing::Test {
protected:
    TempWorkFolder folder;
    void TearDown() override
    {
        CloseProgram();
        FreeInMemoryProgramBuffers();
        ResetControllerSettings();
        for (float& d : g_ToolOffsetD) d = 0.0f;
    }
};

}  // namespace motion_test
