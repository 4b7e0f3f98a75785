// The bodies of the command-line switches: file switches with their default extensions, the
// parenthesised number lists, the work-file, save and difference arguments, the work edits of -X, and
// the resolution of shortcut arguments.
#include <cctype>
#include <climits>
#include <cstring>
#include <unistd.h>

#include "app/command_line.h"
#include "simulation/run_state.h"
#include "app/command_line_internal.h"
#include "platform/ui/shell_services.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/machine/machine_position.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/settings/token_readers.h"
#include "machine_setup/settings/work_settings.h"
#include "work_model/file_routines.h"
#include "work_model/stl_import_options.h"

namespace {

const int kListTextSize = 512;   // the text between "(" and ")"

int IsBlank(char c) { return c == ' ' || c == '\t'; }

int SkipBlanks(const char* line, int position)
{
    while (IsBlank(line[position])) ++position;
    return position;
}

int EndsWithNoCase(const char* text, const char* suffix)
{
    return EndsWithTextNoCase(text, static_cast<int>(std::strlen(text)), suffix);
}

int IsWorkFileName(const char* name)
{
    return EndsWithNoCase(name, ".DME") || EndsWithNoCase(name, ".DMF") || EndsWithNoCase(name, ".DMEZ") ||
           EndsWithNoCase(name, ".DMFZ") || EndsWithNoCase(name, ".STL");
}

// Appends extension unless the name already ends with it. Returns 0 when it does not fit.
int AppendDefaultExtension(char* name, int size, const char* extension)
{
    if (EndsWithNoCase(name, extension)) return 1;
    if (std::strlen(name) + std::strlen(extension) >= static_cast<size_t>(size)) return 0;
    std::strcat(name, extension);
    return 1;
}

// A switch's file name: blanks before it are skipped; quoted, or up to a blank (or a character of
// stops). Returns the position after it, or -1 when the name is missing, unterminated or too long.
int ReadSwitchName(const char* line, int position, const char* stops, char* name, int size, int* quoted)
{
    int p = SkipBlanks(line, position);
    int length = 0;
    *quoted = line[p] == '"';
    if (*quoted) {
        const char* close = std::strchr(line + p + 1, '"');
        if (close == nullptr) return -1;
        length = static_cast<int>(close - (line + p + 1));
        if (length >= size) return -1;
        std::memcpy(name, line + p + 1, length);
        name[length] = '\0';
        return static_cast<int>(close - line) + 1;
    }
    while (line[p + length] != '\0' && !IsBlank(line[p + length]) && std::strchr(stops, line[p + length]) == nullptr) {
        if (length + 1 >= size) return -1;
        name[length] = line[p + length];
        ++length;
    }
    name[length] = '\0';
    return length > 0 ? p + length : -1;
}

// Numbers of "(a,b,...)" at position (blanks before "(" skipped): the first number, then one after each
// further comma, at most maxCount. *count gets how many commas allowed a number (plus the first).
// Returns the position after ")", or -1 without "(", ")" or a first number.
int ReadNumberList(const char* line, int position, double* values, int maxCount, int* count)
{
    const int open = SkipBlanks(line, position);
    if (line[open] != '(') return -1;
    const char* close = std::strchr(line + open + 1, ')');
    if (close == nullptr) return -1;
    const int length = static_cast<int>(close - (line + open + 1));
    if (length >= kListTextSize) return -1;
    char text[kListTextSize];
    std::memcpy(text, line + open + 1, length);
    text[length] = '\0';
    int p = 0;
    if (FindNumberStart(text, 0) < 0) return -1;
    ReadNextNumber(&p, text, &values[0]);
    *count = 1;
    while (*count < maxCount) {
        const char* comma = std::strchr(text + p, ',');
        if (comma == nullptr) break;
        ReadNumberAfterComma(&p, text, &values[*count]);
        ++*count;
    }
    return static_cast<int>(close - line) + 1;
}

// A number list that must hold exactly `needed` values.
int ReadFixedNumberList(const char* line, int position, double* values, int needed)
{
    int count = 0;
    const int after = ReadNumberList(line, position, values, needed, &count);
    return after >= 0 && count == needed ? after : -1;
}

// Length of the number text at text (sign, digits, point); 0 when none.
int MeasureNumberText(const char* text)
{
    int n = 0;
    while (text[n] != '\0' && std::strchr("1234567890-+.eE", text[n]) != nullptr) ++n;
    return n;
}

int StartsNumber(char c) { return c != '\0' && std::strchr("1234567890-.", c) != nullptr; }

void SetScaleFactors(const double factors[3])
{
    for (int axis = 0; axis < 3; ++axis) {
        g_StlScaleFactors[axis] = factors[axis];
        g_StlScaleEnabled[axis] = factors[axis] != 1.0;
    }
}

// "S" option of a work argument at position (on the "S"); returns the position after it.
int ParseScaleOption(const char* line, int position)
{
    int p = position + 1;
    double values[3] = {0.0, 0.0, 0.0};
    if (StartsNumber(line[p])) {
        const double f = ConvertNumberText(line + p);
        const double factors[3] = {f, f, f};
        g_StlScaleCentre[0] = g_StlScaleCentre[1] = g_StlScaleCentre[2] = 0.0;
        SetScaleFactors(factors);
        return p + MeasureNumberText(line + p);
    }
    int haveCentre = 0;
    if (line[p] == '(') {
        const int after = ReadFixedNumberList(line, p, values, 3);
        if (after < 0) return -1;
        for (int axis = 0; axis < 3; ++axis) g_StlScaleCentre[axis] = values[axis];
        haveCentre = 1;
        p = after;
        if (line[p] == '(') {
            const int afterFactors = ReadFixedNumberList(line, p, values, 3);
            if (afterFactors < 0) return -1;
            SetScaleFactors(values);
            return afterFactors;
        }
        if (StartsNumber(line[p])) {
            const double f = ConvertNumberText(line + p);
            const double factors[3] = {f, f, f};
            SetScaleFactors(factors);
            return p + MeasureNumberText(line + p);
        }
    }
    if (!haveCentre) g_StlScaleCentre[0] = g_StlScaleCentre[1] = g_StlScaleCentre[2] = 0.0;
    for (int axis = 0; axis < 3; ++axis) {
        if (g_ScaleEffect[axis] && g_ScaleFactor[axis] != 1.0) {
            g_StlScaleFactors[axis] = g_ScaleFactor[axis];
            g_StlScaleEnabled[axis] = 1;
        }
    }
    return p;
}

// "M", "MX<n>", "MY<n>", "MZ<n>" option at position (on the "M").
int ParseMirrorOrMachineOption(const char* line, int position, int kind)
{
    const int axisLetter = std::toupper(static_cast<unsigned char>(line[position + 1]));
    if (axisLetter == 'X' || axisLetter == 'Y' || axisLetter == 'Z') {
        const int axis = axisLetter - 'X';
        int p = position + 2;
        g_StlMirrorEnabled[axis] = 1;
        g_StlMirrorPlanes[axis] = StartsNumber(line[p]) ? ConvertNumberText(line + p) : 0.0;
        return p + MeasureNumberText(line + p);
    }
    if (kind == 1) g_WorkPlacementOverride = 0;
    else g_BasicModelPlacementOverride = 0;
    return position + 1;
}

// Skips an unknown option up to the next "," or blank.
int SkipOption(const char* line, int position)
{
    while (line[position] != '\0' && line[position] != ',' && !IsBlank(line[position])) ++position;
    return position;
}

}  // namespace

void SetStlAxisFromSuffix(const char* suffix)
{
    const int letter = std::toupper(static_cast<unsigned char>(suffix[1]));
    const int code = letter == 'X' ? 1 : letter == 'Y' ? 2 : 3;
    g_StlWorkAxisCode = suffix[0] == '-' ? -code : code;
}

int ParseWorkFileArgument(const char* line, int* position, char* path, int kind)
{
    char name[CMD_PATH_SIZE];
    int quoted = 0;
    int p = ReadSwitchName(line, *position, ",", name, sizeof name, &quoted);
    if (p < 0) return 0;
    if (quoted && (line[p] == '+' || line[p] == '-') && std::isalpha(static_cast<unsigned char>(line[p + 1]))) {
        SetStlAxisFromSuffix(line + p);
        p += 2;
    }
    const size_t length = std::strlen(name);
    if (!quoted && !IsWorkFileName(name) && EndsWithStlPlus(name, static_cast<int>(std::strlen(name)), 2)) {
        if (name[length - 2] == '+' || name[length - 2] == '-') SetStlAxisFromSuffix(name + length - 2);
        name[length - 2] = '\0';
    }
    if (!IsWorkFileName(name) && !AppendDefaultExtension(name, sizeof name, ".DME")) return 0;
    std::strcpy(path, name);
    while (line[p] == ',') {
        const int option = std::toupper(static_cast<unsigned char>(line[p + 1]));
        if (option == 'W') {
            if (kind == 1) g_WorkPlacementOverride = 1;
            else g_BasicModelPlacementOverride = 1;
            p += 2;
        } else if (option == 'M') {
            p = ParseMirrorOrMachineOption(line, p + 1, kind);
        } else if (option == 'S') {
            p = ParseScaleOption(line, p + 1);
            if (p < 0) return 0;
        } else {
            p = SkipOption(line, p + 1);
        }
    }
    *position = p > 0 ? p - 1 : 0;
    return 1;
}

int ParseSaveFileArgument(const char* line, int* position, char* path)
{
    g_CmdSaveWork = 0;
    char name[CMD_PATH_SIZE];
    int quoted = 0;
    int p = ReadSwitchName(line, *position, ",\"", name, sizeof name, &quoted);
    if (p < 0) return 0;
    if (!IsWorkFileName(name) && !AppendDefaultExtension(name, sizeof name, ".DME")) return 0;
    std::strcpy(path, name);
    const int stl = EndsWithNoCase(name, ".STL");
    g_CmdSaveWork = stl ? 2 : 1;
    while (line[p] == ',') {
        const char option = line[p + 1];
        if (option == 'W' || option == 'w') g_SavePlacementOverride = 1;
        if (option == 'M' || option == 'm') g_SavePlacementOverride = 0;
        if (stl && (option == 'b' || option == 'B')) g_CmdSaveWork = line[p + 2] == '2' ? 4 : 3;
        p = SkipOption(line, p + 1);
    }
    *position = p;
    return 1;
}

int ParseDifferenceArgument(const char* text)
{
    int p = 0;
    if (text[p] == '+') g_DifferenceArea = 1;
    if (text[p] == '-') g_DifferenceArea = -1;
    if (text[p] == '+' || text[p] == '-') ++p;
    g_DifferenceMargin = ConvertNumberText(text + p);
    while (text[p] != '\0' && std::strchr("1234567890.", text[p]) != nullptr) ++p;
    while (text[p] != '\0' && !IsBlank(text[p]) && std::strchr("HhNn", text[p]) == nullptr) ++p;
    if (text[p] != 'H' && text[p] != 'h' && text[p] != 'N' && text[p] != 'n') return 0;
    ++p;
    g_DifferenceOffset = 0.0;
    if (text[p] == '\0' || IsBlank(text[p])) {
        g_DifferenceUsesPen = 0;
        return 0;
    }
    if (text[p] == 'P' || text[p] == 'p') {
        g_DifferenceUsesPen = 0;
        ++p;
    } else {
        g_DifferenceUsesPen = 1;
        int pen = std::isdigit(static_cast<unsigned char>(text[p])) ? text[p++] - '0' : 0;
        if (pen == 1 && std::isdigit(static_cast<unsigned char>(text[p]))) pen = 10 + (text[p++] - '0');
        g_DifferencePen = pen;
    }
    if (text[p] == 'K' || text[p] == 'k') {
        g_DifferenceKeepSameColour = 0;
        ++p;
    }
    if (text[p] == ',') {
        g_DifferenceOffset = ConvertNumberText(text + p + 1);
        while (text[p] != '\0' && !IsBlank(text[p])) ++p;
    }
    while (IsBlank(text[p])) ++p;
    return text[p] != '\0';
}

int ResolveShellLink(char* path, int* length)
{
    char target[260];
    const ssize_t n = readlink(path, target, sizeof target - 1);
    if (n <= 0) return 0;
    target[n] = '\0';
    if (target[0] != '/') {
        // A relative link target is relative to the link's own folder.
        char folder[260];
        char joined[260];
        GetDriveAndDirectory(path, folder, sizeof folder);
        JoinPath(folder, target, joined, sizeof joined);
        if (std::strlen(folder) + std::strlen(target) >= sizeof joined) return 0;
        std::strcpy(target, joined);
    }
    std::strcpy(path, target);
    *length = static_cast<int>(std::strlen(path));
    return 1;
}

// --- Switch bodies -----------------------------------------------------------------------------------

int ParseFileSwitch(const char* line, int position, const char* extension, char* path, int pathSize, int* given)
{
    char name[CMD_PATH_SIZE];
    int quoted = 0;
    const int after = ReadSwitchName(line, position, "", name, sizeof name, &quoted);
    if (after < 0) return SkipToBlank(line, position);
    if (AppendDefaultExtension(name, sizeof name, extension) && CopyBoundedName(name, path, pathSize)) *given = 1;
    return after;
}

int ParseIniSwitch(const char* line, int position)
{
    if ((line[position] == 'C' || line[position] == 'c') && IsBlank(line[position + 1])) {
        return ParseFileSwitch(line, position + 1, ".CTC", g_CmdCtcFile, sizeof g_CmdCtcFile, &g_CmdCtcGiven);
    }
    return ParseFileSwitch(line, position, ".INI", g_CmdIniFile, sizeof g_CmdIniFile, &g_CmdIniGiven);
}

int ParseToolTableSwitch(const char* line, int position)
{
    char name[CMD_PATH_SIZE];
    int quoted = 0;
    const int after = ReadSwitchName(line, position, ",", name, sizeof name, &quoted);
    if (after < 0) return SkipToBlank(line, position);
    if (AppendDefaultExtension(name, sizeof name, ".TTL") &&
        CopyBoundedName(name, g_ToolTableFilePath, sizeof g_ToolTableFilePath)) {
        g_CmdToolTableGiven = 1;
    }
    if (line[after] != ',') return after;
    g_CmdToolNumber = ConvertIntegerText(line + after + 1);
    return SkipToBlank(line, after);
}

int ParseSaveSwitch(const char* line, int position)
{
    int p = position;
    if (!ParseSaveFileArgument(line, &p, g_WorkSavePath)) return SkipToBlank(line, position);
    return p;
}

int ParseBasicModelSwitch(const char* line, int position)
{
    int p = position;
    if (!ParseWorkFileArgument(line, &p, g_BasicModelPath, 2)) return SkipToBlank(line, position);
    GetFileNamePart(g_BasicModelPath, 1, g_BasicModelTitle, sizeof g_BasicModelTitle);
    return p + 1;
}

// -D(box), -DX/-DY/-DZ(cylinder) or -D<work argument>.
int ParseWorkSwitch(const char* line, int position)
{
    const int p = SkipBlanks(line, position);
    const int axisLetter = std::toupper(static_cast<unsigned char>(line[p]));
    double values[6];
    if ((axisLetter == 'X' || axisLetter == 'Y' || axisLetter == 'Z') && line[p + 1] == '(') {
        const int after = ReadFixedNumberList(line, p + 1, values, 6);
        if (after < 0) return -1;
        for (int i = 0; i < 6; ++i) g_CylinderValues[i] = values[i];
        g_CylinderAxis = axisLetter - 'X';
        g_CmdWorkKind = CMD_WORK_CYLINDER;
        g_WorkFilePath[0] = '\0';
        g_CmdWorkGiven = 1;
        return after;
    }
    if (line[p] == '(') {
        const int after = ReadFixedNumberList(line, p, values, 6);
        if (after < 0) return -1;
        for (int i = 0; i < 3; ++i) {
            g_InitialSizeMaxCorner[i] = values[i];
            g_InitialSizeMinCorner[i] = values[3 + i];
        }
        g_CmdWorkKind = CMD_WORK_BOX;
        g_WorkFilePath[0] = '\0';
        g_CmdWorkGiven = 1;
        return after;
    } else {
        int q = position;
        if (!ParseWorkFileArgument(line, &q, g_WorkFilePath, 1)) return SkipToBlank(line, position);
        g_CmdWorkKind = CMD_WORK_FILE;
        g_CmdWorkGiven = 1;
        return q + 1;
    }
}

int ParseStartPositionSwitch(const char* line, int position)
{
    int p = position;
    if (line[p] == 'M' || line[p] == 'm') {
        g_CmdStartPositionMachine = 1;
        ++p;
    }
    double values[5];
    int count = 0;
    const int after = ReadNumberList(line, p, values, 5, &count);
    if (after < 0 || count < 3) return -1;
    for (int i = 0; i < count; ++i) g_ControlPoint.axis[i] = values[i];
    g_CmdStartPositionGiven = 1;
    return after;
}

int ParsePitchSwitch(const char* line, int position)
{
    double values[2];
    const int after = ReadFixedNumberList(line, position, values, 2);
    if (after < 0) return -1;
    g_WorkPitch = g_WorkPitchSetting = values[0];
    g_MovePitch = values[1];
    return after;
}

int ParseWindowRectSwitch(const char* line, int position)
{
    double values[4];
    const int after = ReadFixedNumberList(line, position, values, 4);
    if (after < 0) return -1;
    int rect[4];
    for (int i = 0; i < 4; ++i) {
        rect[i] = values[i] > INT_MAX ? INT_MAX : values[i] < INT_MIN ? INT_MIN : static_cast<int>(values[i]);
    }
    g_WindowX = rect[0];
    g_WindowY = rect[1];
    g_WindowWidth = rect[2];
    g_WindowHeight = rect[3];
    g_CmdWindowRectGiven = 1;
    return after;
}

int ParseMoveEdit(const char* line, int position)
{
    double values[3];
    const int after = ReadFixedNumberList(line, position, values, 3);
    if (after < 0) return -1;
    for (int i = 0; i < 3; ++i) g_MoveWorkVector[i] = values[i];
    g_CmdMoveWork = 1;
    g_SilentMode = 1;
    return after;
}

int ParseRotateEdit(const char* line, int position)
{
    int p = position;
    const int axisLetter = std::toupper(static_cast<unsigned char>(line[p]));
    if (axisLetter == 'X' || axisLetter == 'Y' || axisLetter == 'Z') {
        g_RotateAxis = axisLetter - 'X';
        ++p;
    }
    g_RotateAngle = ConvertNumberText(line + p);
    g_CmdRotateWork = 1;
    g_SilentMode = 1;
    return SkipToBlank(line, p);
}

int ParsePaintEdit(const char* line, int position)
{
    const char* text = line + position;
    const int first = std::toupper(static_cast<unsigned char>(text[0]));
    if (first == 'P') {
        g_CmdPaint = 1;
    } else if (first == 'C') {
        g_CmdPaint = 2;
    } else if (first == 'A') {
        g_CmdStripPen = 16;
    } else if (std::isdigit(static_cast<unsigned char>(text[0])) && text[0] != '0') {
        int pen = text[0] - '0';
        if (pen == 1 && std::isdigit(static_cast<unsigned char>(text[1]))) pen = 10 + (text[1] - '0');
        g_CmdStripPen = pen;
    }
    g_MainWindowIconic = 1;
    g_SilentMode = 1;
    return SkipToBlank(line, position);
}

int ParseDifferenceEdit(const char* line, int position)
{
    char text[kListTextSize];
    const int end = SkipToBlank(line, position);
    if (end - position >= kListTextSize) return -1;
    std::memcpy(text, line + position, end - position);
    text[end - position] = '\0';
    ParseDifferenceArgument(text);
    g_CmdDifference = 1;
    g_MainWindowIconic = 1;
    g_SilentMode = 1;
    return end;
}
