// The simple sections of the settings file: output folders and report naming, external editors, the
// program's own restart option, video and mouse options and the "Save" flags with the saved window
// placement. Each key takes its default when the file or the key is missing.
#include "machine_setup/settings/settings_sections.h"

#include "machine_setup/machine_setup_state.h"
#include "platform/ui/shell_services.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/settings/token_readers.h"
#include "platform/os/profile.h"

#include <cstring>

char g_LogFolder[SETTINGS_PATH_SIZE];
char g_LengthFolder[SETTINGS_PATH_SIZE];
char g_VerifyFolder[SETTINGS_PATH_SIZE];
char g_VerifySuffix[10];
int g_LengthCreateAppend;
int g_VerifyCreateAppend;
int g_LengthNamingMode;
int g_VerifyNamingAuto;

char g_EditorProgram[SETTINGS_PATH_SIZE];
char g_EditorOption[SETTINGS_PATH_SIZE];
int g_ExecMacroNumber;
char g_ExecMacroName[SETTINGS_PATH_SIZE];
int g_EditorSelectOpen;
int g_CloseEditorAtEnd;
char g_TtlEditor[SETTINGS_PATH_SIZE];
char g_CtlEditor[SETTINGS_PATH_SIZE];
char g_MtlEditor[SETTINGS_PATH_SIZE];
char g_IniEditor[SETTINGS_PATH_SIZE];
char g_DefEditor[SETTINGS_PATH_SIZE];
char g_ExecSelfOption[SETTINGS_PATH_SIZE];

char g_VideoFolder[SETTINGS_PATH_SIZE];
int g_VideoNameAuto;
int g_VideoLapDialog;
int g_MoveSwitchRButtonDown;
int g_WheelZoomReverse;
int g_SaveDisplay;
int g_SaveWorkColour;
int g_SaveToolColour;
int g_SaveMachineColour;
int g_SaveLineColour;
int g_SaveBackground;
int g_WindowX;
int g_WindowY;
int g_WindowHeight;
int g_WindowWidth;
int g_SaveShowCmd;
int g_ShowCommandMenuPanel;
int g_ShowToolPanel;

void ResetSettingsSections()
{
    g_LogFolder[0] = g_LengthFolder[0] = g_VerifyFolder[0] = '\0';
    std::strcpy(g_VerifySuffix, "txt");
    g_LengthCreateAppend = g_VerifyCreateAppend = g_LengthNamingMode = 0;
    g_VerifyNamingAuto = 1;
    std::strcpy(g_EditorProgram, "notepad");
    std::strcpy(g_EditorOption, "%1");
    g_ExecMacroNumber = -1;
    std::strcpy(g_ExecMacroName, "QUMBRAJUMP.MAC");
    g_EditorSelectOpen = g_CloseEditorAtEnd = 0;
    char* const editors[] = {g_TtlEditor, g_CtlEditor, g_MtlEditor, g_IniEditor, g_DefEditor};
    for (char* editor : editors) {
        std::strcpy(editor, "notepad");
    }
    std::strcpy(g_ExecSelfOption, "/X2 ZEZOZ!.NC");
    g_VideoFolder[0] = '\0';
    g_VideoNameAuto = g_VideoLapDialog = g_MoveSwitchRButtonDown = g_WheelZoomReverse = 0;
    g_SaveDisplay = g_SaveWorkColour = g_SaveToolColour = g_SaveMachineColour = 1;
    g_SaveLineColour = g_SaveBackground = 1;
    g_WindowX = g_WindowY = g_WindowHeight = g_WindowWidth = -1;
    g_SaveShowCmd = 1;
    g_ShowCommandMenuPanel = g_ShowToolPanel = 0;
}

void ReadIniValue(const char* section, const char* key, const char* defaultText, char* out, int outSize)
{
    ReadProfileString(section, key, defaultText, out, outSize, g_IniFilePath);
}

namespace {

// A "YES" value sets *target to 1; anything else leaves it.
void ReadYesKey(const char* section, const char* key, int* target)
{
    char value[SETTINGS_VALUE_SIZE];
    ReadIniValue(section, key, "NO", value, sizeof value);
    if (StartsWithWordNoCase(value, "YES")) {
        *target = 1;
    }
}

} // namespace

void ReadOutputDataSection()
{
    ReadIniValue("OUTPUTdata", "Target_LOGdir", "", g_LogFolder, sizeof g_LogFolder);
    ReadIniValue("OUTPUTdata", "Target_LENGTHdir", "", g_LengthFolder, sizeof g_LengthFolder);
    ReadIniValue("OUTPUTdata", "Target_VERIFYdir", "", g_VerifyFolder, sizeof g_VerifyFolder);
    ReadIniValue("OUTPUTdata", "VERIFY SUFFIX", "txt", g_VerifySuffix, sizeof g_VerifySuffix);
    char value[SETTINGS_VALUE_SIZE];
    // "APPEND" is compared over its first five letters only ("APPEN").
    ReadIniValue("OUTPUTdata", "CREATE MODE(LENGTH)", "NEW", value, sizeof value);
    if (StartsWithWordNoCase(value, "APPEN")) {
        g_LengthCreateAppend = 1;
    }
    ReadIniValue("OUTPUTdata", "CREATE MODE(VERIFY)", "NEW", value, sizeof value);
    if (StartsWithWordNoCase(value, "APPEN")) {
        g_VerifyCreateAppend = 1;
    }
    ReadIniValue("OUTPUTdata", "NAMING MODE(LENGTH)", "NO", value, sizeof value);
    if (StartsWithWordNoCase(value, "FIXED")) {
        g_LengthNamingMode = 1;
    } else if (StartsWithWordNoCase(value, "AUTO")) {
        g_LengthNamingMode = 2;
    }
    ReadIniValue("OUTPUTdata", "NAMING MODE(VERIFY)", "FIXED", value, sizeof value);
    if (StartsWithWordNoCase(value, "AUTO")) {
        g_VerifyNamingAuto = 2;
    }
}

void ReadExecEditorSection()
{
    ReadIniValue("ExecEditor", "EXEC_PROGRAM", "notepad", g_EditorProgram, sizeof g_EditorProgram);
    if (g_EditorPlugin.execProgram != nullptr) {
        g_EditorPlugin.execProgram(g_EditorProgram);
        g_EditorProgram[sizeof g_EditorProgram - 1] = '\0';
        g_EditorKind = 99;
    }
    ReadIniValue("ExecEditor", "EXEC_OPTION", "%1", g_EditorOption, sizeof g_EditorOption);
    if (g_EditorPlugin.execOption != nullptr) {
        g_EditorPlugin.execOption(g_EditorOption);
        g_EditorOption[sizeof g_EditorOption - 1] = '\0';
    }
    char value[SETTINGS_VALUE_SIZE];
    ReadIniValue("ExecEditor", "EXEC_MACRO_NO", "-1", value, sizeof value);
    g_ExecMacroNumber = ConvertIntegerText(value);
    ReadIniValue("ExecEditor", "EXEC_MACRO_NAME", "QUMBRAJUMP.MAC", g_ExecMacroName, sizeof g_ExecMacroName);
    ReadYesKey("ExecEditor", "SELECT OPEN", &g_EditorSelectOpen);
    ReadYesKey("ExecEditor", "CLOSE END", &g_CloseEditorAtEnd);
    static const struct {
        const char* key;
        char* editor;
    } kEditors[] = {{"EXEC_TTL_EDITOR", g_TtlEditor},
                    {"EXEC_CTL_EDITOR", g_CtlEditor},
                    {"EXEC_MTL_EDITOR", g_MtlEditor},
                    {"EXEC_INI_EDITOR", g_IniEditor},
                    {"EXEC_DEF_EDITOR", g_DefEditor}};
    for (const auto& entry : kEditors) {
        ReadIniValue("ExecEditor", entry.key, g_EditorProgram, entry.editor, SETTINGS_PATH_SIZE);
    }
}

void ReadExecSelfSection()
{
    ReadIniValue("ExecSelf", "EXEC_OPTION", "/X2 ZEZOZ!.NC", g_ExecSelfOption, sizeof g_ExecSelfOption);
}

void ReadVideoSection()
{
    ReadIniValue("Video", "Target_VIDEOdir", g_CurrentFolder, g_VideoFolder, sizeof g_VideoFolder);
    char value[SETTINGS_VALUE_SIZE];
    ReadIniValue("Video", "NAME MODE", "FIXED", value, sizeof value);
    g_VideoNameAuto = StartsWithWordNoCase(value, "AUTO") ? 1 : 0;
    ReadYesKey("Video", "LAP DIALOG", &g_VideoLapDialog);
}

void ReadMouseSection()
{
    char value[SETTINGS_VALUE_SIZE];
    const char* moveDefault = g_WindowsVersionCode == 1 ? "RBUTTONDOWN" : "RBUTTONCLICK";
    ReadIniValue("Mouse", "MOVE SWITCH", moveDefault, value, sizeof value);
    if (StartsWithWordNoCase(value, "RBUTTONDOWN")) {
        g_MoveSwitchRButtonDown = 1;
    } else if (StartsWithWordNoCase(value, "RBUTTONCLICK")) {
        g_MoveSwitchRButtonDown = 0;
    }
    ReadIniValue("Mouse", "WHEEL ZOOM", "NO", value, sizeof value);
    if (StartsWithWordNoCase(value, "REVERSE")) {
        g_WheelZoomReverse = 1;
    }
}

void ReadSaveSection()
{
    g_SaveDisplay = ReadProfileInt("Save", "DISPLAY", 1, g_IniFilePath);
    g_SaveWorkColour = ReadProfileInt("Save", "WORK COLOR", 1, g_IniFilePath);
    g_SaveToolColour = ReadProfileInt("Save", "TOOL COLOR", 1, g_IniFilePath);
    g_SaveMachineColour = ReadProfileInt("Save", "MACHINE COLOR", 1, g_IniFilePath);
    g_SaveLineColour = ReadProfileInt("Save", "LINE COLOR", 1, g_IniFilePath);
    g_SaveBackground = ReadProfileInt("Save", "BACKGROUND", 1, g_IniFilePath);
    if (!g_CmdWindowRectGiven) {
        g_WindowX = ReadProfileInt("Save", "X", -1, g_IniFilePath);
        g_WindowY = ReadProfileInt("Save", "Y", -1, g_IniFilePath);
        g_WindowHeight = ReadProfileInt("Save", "HEIGHT", -1, g_IniFilePath);
        g_WindowWidth = ReadProfileInt("Save", "WIDE", -1, g_IniFilePath);
    }
    g_SaveShowCmd = ReadProfileInt("Save", "SHOW", 1, g_IniFilePath);
    g_ShowCommandMenuPanel = ReadProfileInt("Save", "VIEW_P", 0, g_IniFilePath);
    g_ShowToolPanel = ReadProfileInt("Save", "VIEW_T", 0, g_IniFilePath);
}

namespace {
// The program start values are the reset values: the definitions leave them to this call, so each
// default is written once.
[[maybe_unused]] const int kStartValuesSet = (ResetSettingsSections(), 1);
}  // namespace
