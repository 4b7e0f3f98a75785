// The settings file: where it is, the program's folders, the path rules for definition files, and the
// reading of every key at start-up in its fixed order. The "DMEdata" and "Define" keys are applied by
// the work, colour and display settings; the other sections are read in settings_sections.cpp.
#include "machine_setup/settings/settings_file.h"

#include "machine_setup/machine_setup_state.h"
#include "platform/ui/shell_services.h"
#include "machine_setup/settings/colour_file.h"
#include "machine_setup/settings/colour_settings.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/settings/settings_sections.h"
#include "machine_setup/settings/work_settings.h"
#include "platform/os/files.h"
#include "platform/os/paths.h"
#include "work_model/file_routines.h"

#include <cstdio>
#include <cstring>

char g_IniFilePath[SETTINGS_PATH_SIZE] = "";
char g_CurrentFolder[SETTINGS_PATH_SIZE] = "";
char g_ProgramFolder[SETTINGS_PATH_SIZE] = "";
char g_ProgramFilePath[SETTINGS_PATH_SIZE] = "";
char g_HelpIndexPath[SETTINGS_PATH_SIZE] = "";
char g_TtlFolder[SETTINGS_PATH_SIZE] = "";
char g_CtlFolder[SETTINGS_PATH_SIZE] = "";
char g_MtlFolder[SETTINGS_PATH_SIZE] = "";
char g_ToolTableFilePath[SETTINGS_PATH_SIZE] = "atc.ttl";
char g_NcFolder[SETTINGS_PATH_SIZE] = "";

// --- Paths ----------------------------------------------------------------------------------------

namespace {

int HoldsPathSeparator(const char* text)
{
    return text != nullptr && std::strpbrk(text, "/\\") != nullptr;
}

int EndsWithPathSeparator(const char* text)
{
    size_t length = std::strlen(text);
    return length > 0 && IsPathSeparator(static_cast<unsigned char>(text[length - 1]));
}

// 1 when the text fits out (terminating zero included); else out = "" and 0.
int CopyPath(const char* text, char* out, int outSize)
{
    size_t length = std::strlen(text);
    if (length + 1 > static_cast<size_t>(outSize)) {
        out[0] = '\0';
        return 0;
    }
    std::memmove(out, text, length + 1);
    return 1;
}

int CanOpenForReading(const char* path)
{
    if (path[0] == '\0' || !DoesFileExist(path)) {
        return 0;
    }
    FILE* file = OpenFile(path, "r");
    if (file == nullptr) {
        return 0;
    }
    std::fclose(file);
    return 1;
}

} // namespace

char* JoinPath(const char* folder, const char* name, char* out, int outSize)
{
    if (out == nullptr || outSize < 1) {
        return out;
    }
    std::string joined = folder != nullptr ? folder : "";
    if (!joined.empty() && !EndsWithPathSeparator(joined.c_str())) {
        joined += '/';
    }
    joined += name != nullptr ? name : "";
    CopyPath(joined.c_str(), out, outSize);
    return out;
}

void GetFullPathOfName(const char* name, char* out, int outSize)
{
    if (out == nullptr || outSize < 1) {
        return;
    }
    if (name == nullptr || IsAbsolutePath(name)) {
        CopyPath(name != nullptr ? name : "", out, outSize);
        return;
    }
    char folder[SETTINGS_PATH_SIZE];
    if (!GetCurrentFolder(folder, sizeof folder)) {
        CopyPath(g_CurrentFolder, folder, sizeof folder);
    }
    JoinPath(folder, name, out, outSize);
}

void LocateDataFile(const char* folder, const char* name, char* out, int outSize)
{
    if (out == nullptr || outSize < 1) {
        return;
    }
    std::string nameText = name != nullptr ? name : "";   // out may be the name's own buffer
    if (HoldsPathSeparator(nameText.c_str())) {
        GetFullPathOfName(nameText.c_str(), out, outSize);
        return;
    }
    std::string candidate(static_cast<size_t>(outSize), '\0');
    JoinPath(folder, nameText.c_str(), &candidate[0], outSize);
    if (CanOpenForReading(candidate.c_str())) {
        CopyPath(candidate.c_str(), out, outSize);
        return;
    }
    GetFullPathOfName(nameText.c_str(), &candidate[0], outSize);
    if (CanOpenForReading(candidate.c_str())) {
        CopyPath(candidate.c_str(), out, outSize);
        return;
    }
    JoinPath(g_ProgramFolder, nameText.c_str(), out, outSize);
}

// --- Locating the settings file -------------------------------------------------------------------

void LocateIniFile(const char* currentFolder, const char* programFilePath)
{
    // Joining an empty name adds the separator the folder may lack.
    JoinPath(currentFolder != nullptr ? currentFolder : "", "", g_CurrentFolder, sizeof g_CurrentFolder);
    if (HoldsPathSeparator(g_CmdIniFile)) {
        CopyPath(g_CmdIniFile, g_IniFilePath, sizeof g_IniFilePath);
    } else {
        JoinPath(g_CurrentFolder, g_CmdIniFile, g_IniFilePath, sizeof g_IniFilePath);
    }

    CopyPath(programFilePath != nullptr ? programFilePath : "", g_ProgramFilePath, sizeof g_ProgramFilePath);
    int separator = FindLastPathSeparator(g_ProgramFilePath);
    if (separator + 1 > 2) {
        std::memcpy(g_ProgramFolder, g_ProgramFilePath, static_cast<size_t>(separator) + 1);
        g_ProgramFolder[separator + 1] = '\0';
    } else {
        CopyPath(g_CurrentFolder, g_ProgramFolder, sizeof g_ProgramFolder);
    }

    // A bare name missing from the current folder is looked for in the program folder; a named path
    // is kept as given (the settings are then written there at exit).
    if (!HoldsPathSeparator(g_CmdIniFile) && !CanOpenForReading(g_IniFilePath)) {
        JoinPath(g_ProgramFolder, g_CmdIniFile, g_IniFilePath, sizeof g_IniFilePath);
    }

    char help[SETTINGS_PATH_SIZE];
    JoinPath(g_CurrentFolder, "HELP/index.htm", help, sizeof help);
    if (!CanOpenForReading(help)) {
        JoinPath(g_ProgramFolder, "HELP/index.htm", help, sizeof help);
    }
    CopyPath(help, g_HelpIndexPath, sizeof g_HelpIndexPath);
}

void ReadIniSettings()
{
    char currentFolder[SETTINGS_PATH_SIZE];
    char programFilePath[SETTINGS_PATH_SIZE];
    GetCurrentFolder(currentFolder, sizeof currentFolder);
    GetProgramFilePath(programFilePath, sizeof programFilePath);
    LocateIniFile(currentFolder, programFilePath);
    ReadIniSettingsFile();
}

// --- Reading the keys -----------------------------------------------------------------------------

namespace {

// 1 when the command line already gave the value of a work-settings key.
int IsWorkKeySkipped(int condition)
{
    switch (condition) {
    case KEY_UNLESS_CMD_WORK:
        return g_CmdWorkGiven;
    case KEY_UNLESS_CMD_BOX:
        return g_CmdWorkGiven && g_CmdWorkKind == CMD_WORK_BOX;
    case KEY_UNLESS_CMD_BOX_FROM_ORIGIN:
        return g_CmdWorkGiven && g_CmdWorkKind == CMD_WORK_BOX_FROM_ORIGIN;
    case KEY_UNLESS_CMD_CYLINDER:
        return g_CmdWorkGiven && g_CmdWorkKind == CMD_WORK_CYLINDER;
    case KEY_UNLESS_CMD_START_POSITION:
        return g_CmdStartPositionGiven;
    case KEY_WHILE_WORK_PITCH_ZERO:   // a pitch that is not above 0 counts as not given
        return g_WorkPitch > 0.0;
    case KEY_WHILE_MOVE_PITCH_ZERO:
        return g_MovePitch > 0.0;
    default:
        return 0;
    }
}

void ReadWorkKey(const WorkSettingsKey& entry)
{
    if (IsWorkKeySkipped(entry.condition)) {
        return;
    }
    char value[SETTINGS_VALUE_SIZE];
    const char* defaultText = entry.defaultValue != nullptr ? entry.defaultValue : g_CurrentFolder;
    ReadIniValue(entry.section, entry.key, defaultText, value, sizeof value);
    entry.readValue(value);
}

// The work-settings keys from first to last (both included) in table order.
void ReadWorkKeyRange(const char* first, const char* last)
{
    const WorkSettingsKey* begin = FindWorkSettingsKey(first);
    const WorkSettingsKey* end = FindWorkSettingsKey(last);
    if (begin == nullptr || end == nullptr) {
        return;
    }
    for (const WorkSettingsKey* entry = begin; entry <= end; ++entry) {
        ReadWorkKey(*entry);
    }
}

int IsDisplayKeySkipped(int condition)
{
    if (condition == DISPLAY_KEY_UNLESS_CMD_OFFSET) {
        return g_CmdOffsetRequest;
    }
    return condition == DISPLAY_KEY_UNLESS_CMD_DIFFERENCE ? g_CmdDifference : 0;
}

void ReadDisplayKeys(const DisplaySettingsKey* keys, int count)
{
    for (int i = 0; i < count; ++i) {
        if (IsDisplayKeySkipped(keys[i].condition)) {
            continue;
        }
        char value[SETTINGS_VALUE_SIZE];
        ReadIniValue("Define", keys[i].key, keys[i].defaultValue, value, sizeof value);
        keys[i].readValue(value);
    }
}

// "DMEdata": every key, then the basic model resolved against the work-file folder.
void ReadDmeDataSection()
{
    ReadWorkKeyRange("Target_DMEdir", "CYLINDER");
    char basicModel[SETTINGS_VALUE_SIZE];
    char basicDme[SETTINGS_VALUE_SIZE];
    ReadIniValue("DMEdata", "BASIC MODEL", "", basicModel, sizeof basicModel);
    ReadIniValue("DMEdata", "BASIC DME", "", basicDme, sizeof basicDme);
    if (ReadBasicModelValues(basicModel, basicDme)) {
        LocateDataFile(g_DmeFolder, g_BasicModelPath, g_BasicModelPath, sizeof g_BasicModelPath);
    }
}

// "Define", first part: display keys, colours, work and pitch keys, checks, further keys with "UNDO".
void ReadDefineFirstPart()
{
    ReadDisplayKeys(g_DisplayKeysFirst, g_DisplayKeysFirstCount);
    ReadIniColourSettings();
    ReadWorkKeyRange("WORK MARGIN(X)", "HERA(WIDTH)");
    ReadDisplayKeys(g_CheckKeys, g_CheckKeysCount);
    UpdateCheckStopFlag();
    ReadDisplayKeys(g_DisplayKeysBeforeUndo, g_DisplayKeysBeforeUndoCount);
    ReadWorkKeyRange("UNDO", "UNDO");
    ReadDisplayKeys(g_DisplayKeysAfterUndo, g_DisplayKeysAfterUndoCount);
}

// One definition file: the command-line path when given, else the key's value; resolved in folder.
void ReadDefinitionFilePath(const char* key, const char* defaultName, int givenOnCommandLine,
                            const char* folder, char* path, int pathSize)
{
    char name[SETTINGS_NAME_SIZE];
    if (givenOnCommandLine) {
        CopyPath(path, name, sizeof name);
    } else {
        ReadIniValue("Table", key, defaultName, name, sizeof name);
    }
    LocateDataFile(folder, name, path, pathSize);
}

void ReadDefinitionFilePaths()
{
    ReadDefinitionFilePath("TOOL_TABLE", "atc.ttl", g_CmdToolTableGiven, g_TtlFolder, g_ToolTableFilePath,
                           sizeof g_ToolTableFilePath);
    ReadDefinitionFilePath("CONTROLLER_TABLE", "hanuc.ctl", g_CmdControllerGiven, g_CtlFolder,
                           g_ControllerFilePath, sizeof g_ControllerFilePath);
    ReadDefinitionFilePath("MACHINE_TABLE", "oguma.mtl", g_CmdMachineGiven, g_MtlFolder, g_MachineFilePath,
                           sizeof g_MachineFilePath);
}

// "Define", second part: view angles, zoom step, tools and placement keys.
void ReadDefineSecondPart()
{
    ReadDisplayKeys(g_ViewKeys, 2);
    UpdateViewRotationCosSin();
    ReadDisplayKeys(g_ViewKeys + 2, g_ViewKeysCount - 2);
    ReadWorkKeyRange("MAX MAGAZINE", "STL MATRIX");
}

// A colour file named on the command line replaces the colours it names.
void ReadCommandLineColourFile()
{
    if (!g_CmdCtcGiven) {
        return;
    }
    char path[SETTINGS_PATH_SIZE];
    if (HoldsPathSeparator(g_CmdCtcFile)) {
        CopyPath(g_CmdCtcFile, path, sizeof path);
    } else {
        JoinPath(g_CurrentFolder, g_CmdCtcFile, path, sizeof path);
    }
    if (ReadColourFile(path) == 1) {
        RestoreColourSettings();
    }
    g_CmdCtcGiven = 0;
}

} // namespace

void ReadIniSettingsFile()
{
    g_Perspective = 1;
    g_EditorSelectOpen = 0;
    g_CloseEditorAtEnd = 0;
    g_NcRowState = 0;
    LayOutStatusPanelCells(g_AxisCount);
    g_StlMatrixText[0] = '\0';

    ReadIniValue("Table", "Target_TTLdir", g_CurrentFolder, g_TtlFolder, sizeof g_TtlFolder);
    ReadIniValue("Table", "Target_CTLdir", g_CurrentFolder, g_CtlFolder, sizeof g_CtlFolder);
    ReadIniValue("Table", "Target_MTLdir", g_CurrentFolder, g_MtlFolder, sizeof g_MtlFolder);
    ReadDmeDataSection();
    ReadIniValue("NCdata", "Target_NCdir", g_CurrentFolder, g_NcFolder, sizeof g_NcFolder);
    ReadOutputDataSection();
    ReadDefineFirstPart();
    ReadDefinitionFilePaths();
    ReadExecEditorSection();
    ReadExecSelfSection();
    ReadDefineSecondPart();
    ReadVideoSection();
    ReadMouseSection();
    ReadSaveSection();
    ReadCommandLineColourFile();
    if (g_SilentMode != 0) {
        g_ShowToolPanel = 0;
        g_ToolDisplayMode = PART_DISPLAY_OFF;
        g_ShowLinearToolPath = 0;
        g_ShowToolPath = 0;
    }
}
