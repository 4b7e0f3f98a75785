// The command-line parser: file arguments classified by their extension, the switches, and the
// consistency rules at the end. The switch bodies that read a work, save or difference argument live
// in command_line_arguments.cpp.
#include "app/command_line.h"
#include "simulation/run_state.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "app/command_line_internal.h"
#include "platform/ui/shell_services.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/settings/token_readers.h"
#include "machine_setup/settings/work_settings.h"
#include "nc/interpreter_state.h"
#include "work_model/file_routines.h"

int g_CmdIniGiven = 0;
int g_CmdMacroGiven = 0;
int g_CmdNcGiven = 0;
int g_CmdRunMode = CMD_RUN_NONE;
int g_CmdNoAutoStock = 0;
int g_CmdQuietResults = 0;
int g_CmdQuietInterference = 0;
int g_CmdBatchRun = 0;
int g_CmdReportMode = 0;
int g_CmdReportAfterCut = 0;
int g_CmdSaveWork = 0;
int g_CmdMoveWork = 0;
int g_CmdRotateWork = 0;
int g_CmdPaint = 0;
int g_CmdStripPen = 0;
int g_CmdNoMenu = 0;
int g_CmdProcessor = -1;
int g_AutomationPending = 0;
int g_MainWindowIconic = 0;
char g_WorkFilePath[CMD_PATH_SIZE] = "";
char g_MacroFilePath[CMD_PATH_SIZE] = "";
char g_BasicModelTitle[64] = "";
double g_MoveWorkVector[3] = {0.0, 0.0, 0.0};
int g_RotateAxis = 0;
double g_RotateAngle = 0.0;
int g_WorkPlacementOverride = -1;
int g_SavePlacementOverride = -1;
int g_PanelFontHeight = 0;

namespace {

// Kinds of file arguments, in the order their extensions are tested.
enum ArgumentKind {
    ARG_INI, ARG_CTC, ARG_TTL, ARG_CTL, ARG_MTL, ARG_MAC, ARG_WORK, ARG_LINK, ARG_NC
};

// What the switches of this parse set beside their requests, so that a dropped request also drops
// the minimised and silent state it asked for (a silent program with nothing to do would never end).
struct ParseState {
    int silentFromRun;     // -X6
    int silentFromEdit;    // -XM, -XR, -XP, -XD
};

int ClassifyArgument(const char* token, int length)
{
    if (EndsWithTextNoCase(token, length, ".INI")) return ARG_INI;
    if (EndsWithTextNoCase(token, length, ".CTC")) return ARG_CTC;
    if (EndsWithTextNoCase(token, length, ".TTL")) return ARG_TTL;
    if (EndsWithTextNoCase(token, length, ".CTL")) return ARG_CTL;
    if (EndsWithTextNoCase(token, length, ".MTL")) return ARG_MTL;
    if (EndsWithTextNoCase(token, length, ".MAC")) return ARG_MAC;
    if (EndsWithTextNoCase(token, length, ".DME") || EndsWithTextNoCase(token, length, ".DMF") ||
        EndsWithTextNoCase(token, length, ".DMEZ") || EndsWithTextNoCase(token, length, ".DMFZ") ||
        EndsWithTextNoCase(token, length, ".STL") || EndsWithStlPlus(token, length, 2) ||
        EndsWithStlPlus(token, length, 3)) return ARG_WORK;
    if (EndsWithTextNoCase(token, length, ".lnk")) return ARG_LINK;
    return ARG_NC;
}

int CanOpenFile(const char* path)
{
    FILE* file = OpenFile(path, "r");
    if (file == nullptr) return 0;
    std::fclose(file);
    return 1;
}

// Sets a path and its given flag unless the flag is already set (the first argument of a kind wins).
void TakeFirstPath(int* given, char* target, int targetSize, const char* name)
{
    if (*given) return;
    if (!CopyBoundedName(name, target, targetSize)) return;
    *given = 1;
}

// The name of a work argument: an unquoted ".STL" name with a two-character suffix loses it, and a
// "+"/"-" suffix sets the STL axis code.
void TakeWorkArgument(const char* name)
{
    if (g_CmdWorkGiven) return;
    char path[CMD_PATH_SIZE];
    if (!CopyBoundedName(name, path, sizeof path)) return;
    const int length = static_cast<int>(std::strlen(path));
    if (!EndsWithTextNoCase(path, length, ".STL") && EndsWithStlPlus(path, length, 2)) {
        SetStlAxisFromSuffix(path + length - 2);
        path[length - 2] = '\0';
    }
    std::strcpy(g_WorkFilePath, path);
    g_CmdWorkGiven = 1;
}

// One file argument of the given kind (name without quotes). Returns 1 when handled, 0 when it is an
// NC name that does not open (the caller may extend it).
int TakeFileArgument(int kind, const char* name)
{
    switch (kind) {
    case ARG_INI: TakeFirstPath(&g_CmdIniGiven, g_CmdIniFile, sizeof g_CmdIniFile, name); return 1;
    case ARG_CTC: TakeFirstPath(&g_CmdCtcGiven, g_CmdCtcFile, sizeof g_CmdCtcFile, name); return 1;
    case ARG_TTL:
        TakeFirstPath(&g_CmdToolTableGiven, g_ToolTableFilePath, sizeof g_ToolTableFilePath, name);
        return 1;
    case ARG_CTL:
        TakeFirstPath(&g_CmdControllerGiven, g_ControllerFilePath, sizeof g_ControllerFilePath, name);
        return 1;
    case ARG_MTL:
        TakeFirstPath(&g_CmdMachineGiven, g_MachineFilePath, sizeof g_MachineFilePath, name);
        return 1;
    case ARG_MAC:
        if (!g_CmdMacroGiven) g_AutomationPending = 1;
        TakeFirstPath(&g_CmdMacroGiven, g_MacroFilePath, sizeof g_MacroFilePath, name);
        return 1;
    case ARG_WORK: TakeWorkArgument(name); return 1;
    default: break;
    }
    g_CmdNcGiven = 1;
    if (std::strlen(name) >= sizeof g_NcFilePath || !CanOpenFile(name)) return 0;
    std::strcpy(g_NcFilePath, name);   // the last NC argument that opens wins
    return 1;
}

// A quoted file argument starting at the quote; returns the position after it (and its axis suffix).
int ParseQuotedArgument(const char* line, int position)
{
    const char* close = std::strchr(line + position + 1, '"');
    if (close == nullptr) return -1;
    char name[CMD_ARGUMENT_SIZE];
    const int nameLength = static_cast<int>(close - (line + position + 1));
    if (nameLength >= CMD_ARGUMENT_SIZE) return -1;
    std::memcpy(name, line + position + 1, nameLength);
    name[nameLength] = '\0';
    int end = static_cast<int>(close - line) + 1;
    if ((line[end] == '+' || line[end] == '-') && std::isalpha(static_cast<unsigned char>(line[end + 1]))) {
        SetStlAxisFromSuffix(line + end);
        end += 2;
    }
    int kind = ClassifyArgument(line + position, end - position);
    if (kind == ARG_WORK) {
        if (!g_CmdWorkGiven && CopyBoundedName(name, g_WorkFilePath, sizeof g_WorkFilePath)) g_CmdWorkGiven = 1;
        return end;
    }
    if (kind == ARG_LINK) kind = ResolveLinkKind(name, sizeof name);
    if (kind >= 0) TakeFileArgument(kind, name);
    return end;
}

// An unquoted file argument: runs to the next blank; an NC name that does not open takes the next
// word too, until it opens or the line ends. Returns the position after it, or -1 at the line's end.
int ParseBareArgument(const char* line, int position)
{
    char token[CMD_ARGUMENT_SIZE];
    int length = 0;
    int end = position;
    for (;;) {
        while (line[end] != '\0' && line[end] != ' ' && line[end] != '\t') {
            if (length + 1 >= CMD_ARGUMENT_SIZE) return -1;
            token[length++] = line[end++];
        }
        token[length] = '\0';
        int kind = ClassifyArgument(token, length);
        if (kind == ARG_LINK) kind = ResolveLinkKind(token, sizeof token);
        if (kind < 0 || TakeFileArgument(kind, token)) return end;
        if (line[end] == '\0') return -1;
        if (length + 1 >= CMD_ARGUMENT_SIZE) return -1;
        token[length++] = line[end++];   // the blank joins the name
    }
}

// A token starting with "/" is a switch unless it holds a further separator: then it is an absolute path.
int IsSwitchToken(const char* line, int position)
{
    if (line[position] == '-') return 1;
    if (line[position] != '/') return 0;
    for (int i = position + 1; line[i] != '\0' && line[i] != ' ' && line[i] != '\t'; ++i) {
        if (line[i] == '/' || line[i] == '\\') return 0;
    }
    return 1;
}

// -X followed by a digit: the run mode and its suffixes.
int ParseRunModeSwitch(const char* line, int position, ParseState* state)
{
    const int mode = line[position] - '0';
    int p = position + 1;
    if (mode < 1 || mode > 6) return p;
    g_CmdRunMode = mode;
    if (line[p] == '0') {
        g_CmdNoAutoStock = 1;
        ++p;
    }
    const int quiet = line[p] == 'n' || line[p] == 'N';
    if (quiet && (mode == CMD_RUN_SKIP || mode == CMD_RUN_RESULT)) g_CmdQuietResults = 1;
    if (quiet && mode == CMD_RUN_BATCH) g_CmdQuietInterference = 1;
    if (quiet && mode >= CMD_RUN_SKIP && mode <= CMD_RUN_BATCH) ++p;
    if (mode >= CMD_RUN_BATCH) g_CmdBatchRun = 1;
    if (mode == CMD_RUN_SILENT_BATCH) {
        g_MainWindowIconic = 1;
        g_SilentMode = 1;
        state->silentFromRun = 1;
    }
    return p;
}

// -X: a run mode or a work edit. Returns the position to go on from, -1 to end the parse.
int ParseXSwitch(const char* line, int position, ParseState* state)
{
    int p = position;
    while (line[p] == ' ' || line[p] == '\t') ++p;
    if (std::isdigit(static_cast<unsigned char>(line[p]))) return ParseRunModeSwitch(line, p, state);
    const int letter = std::toupper(static_cast<unsigned char>(line[p]));
    if (letter == 'M' || letter == 'R' || letter == 'P' || letter == 'D') state->silentFromEdit = 1;
    switch (letter) {
    case 'M': return ParseMoveEdit(line, p + 1);
    case 'R': return ParseRotateEdit(line, p + 1);
    case 'P': return ParsePaintEdit(line, p + 1);
    case 'D': return ParseDifferenceEdit(line, p + 1);
    default: return SkipToBlank(line, p);
    }
}

// -V, -V5, -V6, -VA.
int ParseReportSwitch(const char* line, int position)
{
    const int next = std::toupper(static_cast<unsigned char>(line[position]));
    g_CmdReportMode = 1;
    if (next == '5' || next == '6') g_CmdReportMode = next - '0';
    if (next == 'A') g_CmdReportAfterCut = 1;
    return SkipToBlank(line, position);
}

// One switch; position is on its letter. Returns the position to go on from, -1 to end the parse.
int ParseSwitch(const char* line, int position, ParseState* state)
{
    const int letter = std::toupper(static_cast<unsigned char>(line[position]));
    const int p = position + 1;
    switch (letter) {
    case 'I': return ParseIniSwitch(line, p);
    case 'T': return ParseToolTableSwitch(line, p);
    case 'C':
        return ParseFileSwitch(line, p, ".CTL", g_ControllerFilePath, sizeof g_ControllerFilePath,
                               &g_CmdControllerGiven);
    case 'M':
        return ParseFileSwitch(line, p, ".MTL", g_MachineFilePath, sizeof g_MachineFilePath, &g_CmdMachineGiven);
    case 'O': return ParseSaveSwitch(line, p);
    case 'K': return ParseBasicModelSwitch(line, p);
    case 'D': return ParseWorkSwitch(line, p);
    case 'S': return ParseStartPositionSwitch(line, p);
    case 'P': return ParsePitchSwitch(line, p);
    case 'G': g_CmdProcessor = ConvertIntegerText(line + p); return SkipToBlank(line, p);
    case 'X': return ParseXSwitch(line, p, state);
    case 'V': return ParseReportSwitch(line, p);
    case 'F': g_PanelFontHeight = ConvertIntegerText(line + p); return SkipToBlank(line, p);
    case 'N': g_CmdNoMenu = 1; return SkipToBlank(line, p);
    case '(': return ParseWindowRectSwitch(line, position);
    default: return SkipToBlank(line, position);
    }
}

void DropSilentState(int wanted)
{
    if (!wanted) return;
    g_SilentMode = 0;
    g_MainWindowIconic = 0;
}

void ClearWorkEdits()
{
    g_CmdMoveWork = g_CmdRotateWork = g_CmdPaint = g_CmdStripPen = g_CmdDifference = 0;
}

// The consistency rules applied once the whole line is read.
void FinishCommandLine(const ParseState* state)
{
    if (!g_CmdNcGiven && g_CmdRunMode != CMD_RUN_NONE) {
        g_CmdRunMode = CMD_RUN_NONE;
        g_CmdBatchRun = 0;
        DropSilentState(state->silentFromRun);
    }
    const int anyEdit = g_CmdMoveWork || g_CmdRotateWork || g_CmdPaint || g_CmdStripPen || g_CmdDifference;
    const int editSurvives = anyEdit && g_CmdWorkGiven && g_CmdSaveWork;
    if (anyEdit) {
        g_CmdRunMode = CMD_RUN_NONE;
        g_CmdBatchRun = 0;
        g_CmdNcGiven = 0;
        if (!editSurvives) {
            ClearWorkEdits();
            DropSilentState(state->silentFromEdit || state->silentFromRun);
        }
    }
    if (!editSurvives) {
        if (g_CmdRunMode == CMD_RUN_SELECT) {
            g_CmdSaveWork = 0;
        } else if (g_CmdRunMode == CMD_RUN_NONE && g_CmdSaveWork) {
            if (g_CmdWorkGiven + g_CmdNcGiven == 1) {
                g_MainWindowIconic = 1;
                g_SilentMode = 1;
            } else {
                g_CmdSaveWork = 0;
            }
        }
    }
    if (g_CmdRunMode != CMD_RUN_NONE) {
        if (g_CmdReportMode == 5 || g_CmdReportMode == 6) g_CmdReportMode = 1;
    } else if (g_CmdReportMode == 6) {
        g_MainWindowIconic = 1;
        g_SilentMode = 1;
    }
    if (g_CmdWorkGiven || g_CmdNcGiven || g_CmdMacroGiven || editSurvives) g_AutomationPending = 1;
}

}  // namespace

// Shared with command_line_arguments.cpp.
int EndsWithTextNoCase(const char* text, int length, const char* suffix)
{
    const int n = static_cast<int>(std::strlen(suffix));
    if (length < n) return 0;
    for (int i = 0; i < n; ++i) {
        if (std::toupper(static_cast<unsigned char>(text[length - n + i])) !=
            std::toupper(static_cast<unsigned char>(suffix[i]))) return 0;
    }
    return 1;
}

// ".STL" followed by exactly `extra` characters at the end of the token.
int EndsWithStlPlus(const char* token, int length, int extra)
{
    return length >= 4 + extra && EndsWithTextNoCase(token, length - extra, ".STL");
}

int SkipToBlank(const char* line, int position)
{
    while (line[position] != '\0' && line[position] != ' ' && line[position] != '\t') ++position;
    return position;
}

int CopyBoundedName(const char* name, char* target, int targetSize)
{
    if (static_cast<int>(std::strlen(name)) >= targetSize) return 0;
    std::strcpy(target, name);
    return 1;
}

int ResolveLinkKind(char* name, int size)
{
    char path[260];
    if (!CopyBoundedName(name, path, sizeof path)) return -1;
    int length = static_cast<int>(std::strlen(path));
    if (!ResolveShellLink(path, &length) || !CopyBoundedName(path, name, size)) return -1;
    const int kind = ClassifyArgument(name, length);
    return kind == ARG_LINK ? -1 : kind;   // a link to a link is not followed again
}

void ParseCommandLine(const char* commandLine)
{
    if (commandLine == nullptr) return;
    ParseState state = {0, 0};
    int position = 0;
    for (;;) {
        while (commandLine[position] == ' ' || commandLine[position] == '\t') ++position;
        if (commandLine[position] == '\0') break;
        if (IsSwitchToken(commandLine, position)) {
            position = ParseSwitch(commandLine, position + 1, &state);
        } else if (commandLine[position] == '"') {
            position = ParseQuotedArgument(commandLine, position);
        } else {
            position = ParseBareArgument(commandLine, position);
        }
        if (position < 0) break;
    }
    FinishCommandLine(&state);
}

int JoinCommandLineArguments(int argc, char** argv, char* out, int outSize)
{
    if (outSize < 1) return 0;
    int length = 0;
    out[0] = '\0';
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        const int hasBlank = std::strpbrk(argument, " \t") != nullptr && std::strchr(argument, '"') == nullptr;
        int prefix = 0;
        if (hasBlank && (argument[0] == '-' || argument[0] == '/') && argument[1] != '\0') prefix = 2;
        const int written = hasBlank
            ? std::snprintf(out + length, outSize - length, "%s%.*s\"%s\"", i > 1 ? " " : "", prefix, argument,
                            argument + prefix)
            : std::snprintf(out + length, outSize - length, "%s%s", i > 1 ? " " : "", argument);
        if (written < 0 || written >= outSize - length) {
            out[0] = '\0';
            return 0;
        }
        length += written;
    }
    return 1;
}

void ResetCommandLineRequests()
{
    ResetCommandLineValues();
    g_CmdIniGiven = g_CmdMacroGiven = g_CmdNcGiven = 0;
    g_CmdRunMode = CMD_RUN_NONE;
    g_CmdNoAutoStock = g_CmdQuietResults = g_CmdQuietInterference = g_CmdBatchRun = 0;
    g_CmdReportMode = g_CmdReportAfterCut = g_CmdSaveWork = 0;
    ClearWorkEdits();
    g_CmdNoMenu = 0;
    g_CmdProcessor = -1;
    g_MainWindowIconic = 0;
    g_AutomationPending = 0;
    g_WorkFilePath[0] = g_WorkSavePath[0] = g_MacroFilePath[0] = g_BasicModelTitle[0] = '\0';
    g_MoveWorkVector[0] = g_MoveWorkVector[1] = g_MoveWorkVector[2] = 0.0;
    g_RotateAxis = 0;
    g_RotateAngle = 0.0;
    g_WorkPlacementOverride = g_SavePlacementOverride = g_BasicModelPlacementOverride = -1;
    g_PanelFontHeight = 0;
    g_CmdToolNumber = 0;
}
