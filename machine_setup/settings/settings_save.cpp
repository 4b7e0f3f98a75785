// Writing the settings back at exit: section "Save" (flags, window placement, panel switches), the
// colour groups of section "Define" that the "Save" flags keep, and the three work shapes of
// "DMEdata". Each key is replaced in place; every other line of the file is kept.
#include "machine_setup/settings/settings_save.h"

#include "platform/ui/shell_services.h"
#include "machine_setup/settings/colour_settings.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/settings/work_settings.h"
#include "platform/os/profile.h"
#include "platform/ui/event_core.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

const int SHAPE_TEXT_SIZE = 512;

void CopyTextCut(const std::string& text, char* out, int outSize)
{
    if (out == nullptr || outSize < 1) {
        return;
    }
    size_t length = text.size() < static_cast<size_t>(outSize) ? text.size() : static_cast<size_t>(outSize) - 1;
    std::memcpy(out, text.data(), length);
    out[length] = '\0';
}

std::string ShapeNumberText(double value)
{
    char text[64];
    FormatWorkShapeNumber(value, text, sizeof text);
    return text;
}

// "a,b,c" of count numbers.
std::string ShapeNumberList(const double* values, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            text += ',';
        }
        text += ShapeNumberText(values[i]);
    }
    return text;
}

} // namespace

// Whole numbers in the 32-bit range as "%d"; others as "%f" without trailing zeros. Numbers whose
// "%f" text would be longer than 19 characters are written as "%.17g", which reads back the same.
void FormatWorkShapeNumber(double value, char* out, int outSize)
{
    if (out == nullptr || outSize < 1) {
        return;
    }
    char text[64];
    if (!std::isfinite(value)) {
        std::snprintf(text, sizeof text, "0");
    } else if (value >= static_cast<double>(INT_MIN) && value <= static_cast<double>(INT_MAX) &&
               value == std::trunc(value)) {
        std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    } else if (std::fabs(value) < 1e11) {
        std::snprintf(text, sizeof text, "%f", value);
        size_t length = std::strlen(text);
        while (length > 0 && text[length - 1] == '0') {
            text[--length] = '\0';
        }
    } else {
        std::snprintf(text, sizeof text, "%.17g", value);
    }
    CopyTextCut(text, out, outSize);
}

void FormatInitialSizeValue(char* text, int textSize)
{
    double corners[6];
    for (int axis = 0; axis < 3; ++axis) {
        corners[axis] = g_InitialSizeMinCorner[axis];
        corners[3 + axis] = g_InitialSizeMaxCorner[axis];
    }
    CopyTextCut("(" + ShapeNumberList(corners, 6) + ")", text, textSize);
}

void FormatInitialSize2Value(char* text, int textSize)
{
    static const char* const kLowWords[3] = {"LEFT", "FRONT", "BOTTOM"};
    static const char* const kHighWords[3] = {"RIGHT", "BACK", "TOP"};
    std::string value = "(";
    for (int axis = 0; axis < 3; ++axis) {
        if (axis > 0) {
            value += ',';
        }
        const int align = g_StockAlign[axis];
        value += align == -1 ? kLowWords[axis] : (align == 1 ? kHighWords[axis] : "CENTER");
        value += ',';
        value += ShapeNumberList(g_StockValues[axis], 3);
    }
    CopyTextCut(value + ")", text, textSize);
}

void FormatCylinderValue(char* text, int textSize)
{
    const char* axis = g_CylinderAxis == 0 ? "X" : (g_CylinderAxis == 1 ? "Y" : "Z");
    CopyTextCut(std::string(axis) + "(" + ShapeNumberList(g_CylinderValues, 6) + ")", text, textSize);
}

namespace {

// Every write goes to the file at once; a failed write leaves the file as it was (no message).
void WriteIniText(const char* section, const char* key, const char* value)
{
    WriteProfileString(section, key, value, g_IniFilePath);
}

void WriteIniInt(const char* section, const char* key, int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    WriteIniText(section, key, text);
}

void WriteIniColour(const char* key, ColourValue colour)
{
    char text[32];
    FormatColourValue(colour, text, sizeof text);
    WriteIniText("Define", key, text);
}

void WriteIniAlpha(const char* key, float alpha)
{
    char text[32];
    std::snprintf(text, sizeof text, "%3.1f", static_cast<double>(alpha));
    WriteIniText("Define", key, text);
}

void WriteColourMode(const char* key, int specified)
{
    WriteIniText("Define", key, specified != 0 ? "SPECIFIED" : "PEN COLOR");
}

// The placement of the frame when it is not minimised. A maximised frame keeps the restored rectangle
// held in memory (the maximised one would open the next start at screen size when restored).
void WriteWindowPlacement(WindowHandle frame)
{
    if (g_SaveDisplay != 1 || frame == nullptr || !IsUiWindow(frame) || IsUiWindowMinimised(frame)) {
        return;
    }
    int showCommand = SW_SHOWNORMAL;
    if (IsUiWindowMaximised(frame)) {
        showCommand = SW_SHOWMAXIMIZED;
    } else {
        UiRect rect;
        if (!GetUiWindowRect(frame, &rect)) {
            return;
        }
        g_WindowX = rect.left;
        g_WindowY = rect.top;
        g_WindowWidth = rect.right - rect.left;
        g_WindowHeight = rect.bottom - rect.top;
    }
    WriteIniInt("Save", "SHOW", showCommand);
    WriteIniInt("Save", "X", g_WindowX);
    WriteIniInt("Save", "Y", g_WindowY);
    WriteIniInt("Save", "HEIGHT", g_WindowHeight);
    WriteIniInt("Save", "WIDE", g_WindowWidth);
    WriteIniInt("Save", "SCREENS", 1);
}

// The work and pen colours keep their use flags, so a hidden pen stays hidden at the next start.
void WriteWorkColours()
{
    static const char* const kPenKeys[PEN_COLOUR_COUNT] = {
        "WORK COLOR",  "PEN1 COLOR",  "PEN2 COLOR",  "PEN3 COLOR",  "PEN4 COLOR",  "PEN5 COLOR",
        "PEN6 COLOR",  "PEN7 COLOR",  "PEN8 COLOR",  "PEN9 COLOR",  "PEN10 COLOR", "PEN11 COLOR",
        "PEN12 COLOR", "PEN13 COLOR", "PEN14 COLOR", "PEN15 COLOR"};
    for (int pen = 0; pen < PEN_COLOUR_COUNT; ++pen) {
        char text[32];
        FormatColourWithFlags(g_PenColours[pen], g_PenColourFlags[pen], g_PenColourFlags2[pen], text,
                              sizeof text);
        WriteIniText("Define", kPenKeys[pen], text);
    }
    WriteIniColour("PENKI COLOR", g_PaintColour);
    WriteIniColour("BASE COLOR", g_BaseColour);
}

void WriteMachineColours()
{
    WriteIniColour("HEAD(*) COLOR", g_HeadColours[HEAD_COLOUR_STAR]);
    WriteIniColour("HEAD(**) COLOR", g_HeadColours[HEAD_COLOUR_DOUBLE_STAR]);
    WriteIniColour("HEAD COLOR", g_HeadColours[HEAD_COLOUR_HEAD]);
    WriteIniColour("HEAD1 COLOR", g_HeadColours[HEAD_COLOUR_HEAD1]);
    WriteIniColour("HEAD2 COLOR", g_HeadColours[HEAD_COLOUR_HEAD2]);
    WriteIniColour("TABLE(*) COLOR", g_TableColours[TABLE_COLOUR_STAR]);
    WriteIniColour("TABLE COLOR", g_TableColours[TABLE_COLOUR_TABLE]);
    WriteIniColour("TABLE1 COLOR", g_TableColours[TABLE_COLOUR_TABLE1]);
    WriteIniColour("TABLE2 COLOR", g_TableColours[TABLE_COLOUR_TABLE2]);
    WriteIniColour("VICE COLOR", g_ViceColour);
    WriteIniColour("BASIC COLOR", g_BasicColour);
}

void WriteColourGroups()
{
    WriteIniInt("Save", "WORK COLOR", g_SaveWorkColour);
    if (g_SaveWorkColour == 1) {
        WriteWorkColours();
    }
    WriteIniInt("Save", "TOOL COLOR", g_SaveToolColour);
    if (g_SaveToolColour == 1) {
        WriteColourMode("TOOL-TOP COLOR MODE", g_ToolTopColourSpecified);
        WriteIniColour("TOOL-TOP COLOR", g_ToolTopColour);
        WriteIniColour("TOOL-SIDE COLOR", g_ToolSideColour);
        WriteIniColour("ARBOR COLOR", g_ArborColour);
    }
    WriteIniInt("Save", "MACHINE COLOR", g_SaveMachineColour);
    if (g_SaveMachineColour == 1) {
        WriteMachineColours();
    }
    WriteIniInt("Save", "LINE COLOR", g_SaveLineColour);
    if (g_SaveLineColour != 0) {
        WriteColourMode("TOP-PATH COLOR MODE", g_TopPathColourSpecified);
        WriteIniColour("TOP-PATH COLOR", g_TopPathColour);
        WriteIniColour("TOP-PATH2 COLOR", g_TopPath2Colour);
        WriteIniColour("CONSTRUCTION COLOR", g_ConstructionColour);
    }
    WriteIniInt("Save", "BACKGROUND", g_SaveBackground);
    if (g_SaveBackground == 1) {
        WriteIniColour("BACKGROUND", g_BackgroundColourSetting);
    }
    if (g_SaveWorkColour == 1) {
        WriteIniAlpha("WORK ALPHA", g_WorkAlpha);
    }
    if (g_SaveToolColour == 1) {
        WriteIniAlpha("TOOL ALPHA", g_ToolAlpha);
    }
    if (g_SaveMachineColour == 1) {
        WriteIniAlpha("MACHINE ALPHA", g_MachineAlpha);
    }
}

void WriteWorkShapes()
{
    char text[SHAPE_TEXT_SIZE];
    FormatInitialSizeValue(text, sizeof text);
    WriteIniText("DMEdata", "INITIAL SIZE", text);
    FormatInitialSize2Value(text, sizeof text);
    WriteIniText("DMEdata", "INITIAL SIZE2", text);
    FormatCylinderValue(text, sizeof text);
    WriteIniText("DMEdata", "CYLINDER", text);
}

} // namespace

void SaveSettingsToIni(WindowHandle frame)
{
    if (g_SilentMode != 0 || g_IniFilePath[0] == '\0') {
        return;
    }
    WriteIniInt("Save", "DISPLAY", g_SaveDisplay);
    WriteWindowPlacement(frame);
    WriteIniInt("Save", "VIEW_P", g_ShowCommandMenuPanel);
    WriteIniInt("Save", "VIEW_T", g_ShowToolPanel);
    WriteColourGroups();
    WriteWorkShapes();
}
