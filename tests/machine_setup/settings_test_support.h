// Helpers of the settings tests: a temporary folder removed at the end, fixture and text files, and a
// reset of every setting and command-line value to its program start value.
#pragma once

#include "machine_setup/machine_setup_state.h"
#include "platform/ui/shell_services.h"
#include "machine_setup/settings/colour_settings.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/settings/settings_sections.h"
#include "machine_setup/tools/tool_table.h"
#include "machine_setup/settings/work_settings.h"
#include "platform/ui/event_core.h"
#include "tests/scoped_temp_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

namespace settings_test {

// A fresh folder under the system's temporary folder, removed with its contents at the end.
struct TempFolder {
    ScopedTempFolder scratch{"qset"};
    std::string path = scratch.path.empty() ? std::string() : scratch.path + "/";   // ends in "/"
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

inline std::string FixturePath(const char* name)
{
    return std::string(QUMBRA_FIXTURE_DIR) + "/settings/" + name;
}

inline void CopyText(char* out, size_t size, const std::string& text)
{
    std::snprintf(out, size, "%s", text.c_str());
}

// Every setting and command-line value back to its program start value.
inline void ResetAllSettings()
{
    ResetCommandLineValues();
    ResetColourSettings();
    ResetDisplaySettings();
    ResetSettingsSections();
    for (int i = 0; i < g_WorkSettingsKeyCount; ++i) {
        ReadWorkSettingsKey(g_WorkSettingsKeys[i].key, nullptr, "");
    }
    FreeWorkSettingsBuffers();
    // Values whose default text is no word of their key keep what they hold: set their start values.
    g_DmeSelect = 0;
    g_DmfSelect = 1;
    g_StlSelect = 1;
    g_StlWorkAxisCode = 0;
    g_StlFilter = 0;
    g_ImportInWorkCoordinates = 0;
    g_CheckMatrix = 0;
    g_WorkPitch = 0.0;
    g_MovePitch = 0.0;
    g_AutoWorkPitch = 0;
    g_AutoMovePitch = 0;
    g_BasicModelPath[0] = '\0';
    g_BasicModelGiven = 0;
    g_CmdStartPositionMachine = 0;
    g_ToolBasePoint = 0;
    g_ToolBasePointFromIni = 0;
    g_SilentMode = 0;
    g_WindowsVersionCode = 0;
    std::strcpy(g_ToolTableFilePath, "atc.ttl");
    std::strcpy(g_ControllerFilePath, "hanuc.ctl");
    std::strcpy(g_MachineFilePath, "oguma.mtl");
    g_IniFilePath[0] = g_CurrentFolder[0] = g_ProgramFolder[0] = g_ProgramFilePath[0] = '\0';
    g_ViewAngleA = 315.0;
    g_ViewAngleB = 45.0;
    g_ZoomKeyFactor = 5.0;
    g_Perspective = 1;
    g_ShowToolPath = 1;
    g_ShowLinearToolPath = 1;
}

// Base of the settings tests: every value reset, a temporary folder as the current and program folder.
class SettingsTest : public ::testing::Test {
protected:
    TempFolder folder;
    void SetUp() override
    {
        ASSERT_FALSE(folder.path.empty());
        ResetAllSettings();
    }
    void TearDown() override
    {
        FreeWorkSettingsBuffers();
        ResetAllSettings();
        FreeWorkSettingsBuffers();
    }
    // Locates the settings file with the temporary folder as current folder and the program in
    // programFolder (default: a "bin" folder inside it), then reads every key.
    void ReadSettings(const std::string& programFolder = std::string())
    {
        std::string program = (programFolder.empty() ? folder.path + "bin/" : programFolder) + "qumbra";
        LocateIniFile(folder.path.c_str(), program.c_str());
        ReadIniSettingsFile();
    }
};

// The full fixture settings file copied in and read, with a frame window for the saves that record the
// window placement.
class FullSettingsWithFrameTest : public SettingsTest {
protected:
    std::string ini;
    WindowHandle frame = nullptr;
    void SetUp() override
    {
        SettingsTest::SetUp();
        ini = folder.File("qumbra.ini");
        WriteText(ini, ReadText(FixturePath("full.ini")));
        ReadSettings();
        const UiRect rect = {40, 30, 840, 630};
        frame = CreateUiWindow("QumbraFrame", "frame", DefaultWindowProc, nullptr, 0, &rect, 0);
        ASSERT_NE(nullptr, frame);
    }
    void TearDown() override
    {
        DestroyUiWindow(frame);
        StopEventCore();
        SettingsTest::TearDown();
    }
};

} // namespace settings_test
