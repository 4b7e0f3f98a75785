// Display colours: the colour set in use with its defaults, the backup copy, the colour value parsers
// of the settings file and of colour files, the text forms written back at exit, and the reading of
// the whole set from section "Define" of the settings file.
#include "machine_setup/settings/colour_settings.h"

#include "machine_setup/settings/settings_file.h"
#include "machine_setup/settings/token_readers.h"
#include "platform/os/profile.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <strings.h>

namespace {

constexpr ColourValue Rgb(unsigned red, unsigned green, unsigned blue)
{
    return red | (green << 8) | (blue << 16);
}

const ColourValue kDefaultPenColours[PEN_COLOUR_COUNT] = {
    Rgb(127, 127, 255), Rgb(0, 255, 0),   Rgb(255, 255, 0), Rgb(192, 192, 192), Rgb(191, 191, 0),
    Rgb(191, 0, 191),   Rgb(0, 191, 191), Rgb(255, 0, 127), Rgb(63, 63, 127),   Rgb(0, 127, 0),
    Rgb(127, 127, 0),   Rgb(95, 95, 95),  Rgb(95, 95, 0),   Rgb(95, 0, 95),     Rgb(0, 95, 95),
    Rgb(127, 0, 63)};
const ColourValue kDefaultHeadColours[HEAD_COLOUR_COUNT] = {
    Rgb(113, 145, 113), Rgb(163, 195, 163), Rgb(63, 95, 63), Rgb(63, 127, 63), Rgb(31, 63, 31)};
const ColourValue kDefaultTableColours[TABLE_COLOUR_COUNT] = {
    Rgb(50, 178, 242), Rgb(0, 128, 192), Rgb(127, 127, 127), Rgb(0, 63, 63)};

const float kDefaultAlpha = 0.5f;

} // namespace

ColourValue g_PenColours[PEN_COLOUR_COUNT];
int g_PenColourFlags[PEN_COLOUR_COUNT];
int g_PenColourFlags2[PEN_COLOUR_COUNT];
ColourValue g_PaintColour;
ColourValue g_BaseColour;
ColourValue g_TopPathColour;
ColourValue g_TopPath2Colour;
ColourValue g_ConstructionColour;
ColourValue g_ToolTopColour;
ColourValue g_ToolSideColour;
ColourValue g_ArborColour;
ColourValue g_HeadColours[HEAD_COLOUR_COUNT];
ColourValue g_TableColours[TABLE_COLOUR_COUNT];
ColourValue g_ViceColour;
ColourValue g_BasicColour;
ColourValue g_DiameterValueColour;
ColourValue g_LengthValueColour;
ColourValue g_MagazineNumberColour;
ColourValue g_BackgroundColourSetting;
float g_WorkAlpha;
float g_BaseAlpha;
float g_ToolAlpha;
float g_MachineAlpha;

ColourSettings g_ColourSettingsBackup;

// --- Backup ---------------------------------------------------------------------------------------

namespace {

// Copies one field between the backup and the live setting, in the direction asked.
template <typename T>
void CopyColourField(T& backup, T& live, int toBackup)
{
    if (toBackup) std::memcpy(&backup, &live, sizeof(T));
    else std::memcpy(&live, &backup, sizeof(T));
}

// The one list of the colours the backup holds, so that saving and restoring never differ.
void CopyColourSettings(ColourSettings& b, int toBackup)
{
    CopyColourField(b.penColours, g_PenColours, toBackup);
    CopyColourField(b.penColourFlags, g_PenColourFlags, toBackup);
    CopyColourField(b.penColourFlags2, g_PenColourFlags2, toBackup);
    CopyColourField(b.paintColour, g_PaintColour, toBackup);
    CopyColourField(b.baseColour, g_BaseColour, toBackup);
    CopyColourField(b.topPathColour, g_TopPathColour, toBackup);
    CopyColourField(b.topPath2Colour, g_TopPath2Colour, toBackup);
    CopyColourField(b.constructionColour, g_ConstructionColour, toBackup);
    CopyColourField(b.toolTopColour, g_ToolTopColour, toBackup);
    CopyColourField(b.toolSideColour, g_ToolSideColour, toBackup);
    CopyColourField(b.arborColour, g_ArborColour, toBackup);
    CopyColourField(b.headColours, g_HeadColours, toBackup);
    CopyColourField(b.tableColours, g_TableColours, toBackup);
    CopyColourField(b.viceColour, g_ViceColour, toBackup);
    CopyColourField(b.basicColour, g_BasicColour, toBackup);
    CopyColourField(b.diameterValueColour, g_DiameterValueColour, toBackup);
    CopyColourField(b.lengthValueColour, g_LengthValueColour, toBackup);
    CopyColourField(b.magazineNumberColour, g_MagazineNumberColour, toBackup);
    CopyColourField(b.backgroundColourSetting, g_BackgroundColourSetting, toBackup);
}

}  // namespace

void SaveColourSettings() { CopyColourSettings(g_ColourSettingsBackup, 1); }

void CaptureColourSettings(ColourSettings* out) { CopyColourSettings(*out, 1); }

void RestoreColourSettings() { CopyColourSettings(g_ColourSettingsBackup, 0); }

void ResetColourSettings()
{
    std::memcpy(g_PenColours, kDefaultPenColours, sizeof g_PenColours);
    for (int i = 0; i < PEN_COLOUR_COUNT; ++i) {
        g_PenColourFlags[i] = 1;
        g_PenColourFlags2[i] = 1;
    }
    g_PaintColour = Rgb(255, 127, 0);
    g_BaseColour = Rgb(128, 128, 0);
    g_TopPathColour = Rgb(255, 0, 0);
    g_TopPath2Colour = Rgb(255, 128, 0);
    g_ConstructionColour = Rgb(255, 255, 0);
    g_ToolTopColour = Rgb(255, 0, 128);
    g_ToolSideColour = Rgb(128, 128, 192);
    g_ArborColour = Rgb(0, 128, 0);
    std::memcpy(g_HeadColours, kDefaultHeadColours, sizeof g_HeadColours);
    std::memcpy(g_TableColours, kDefaultTableColours, sizeof g_TableColours);
    g_ViceColour = Rgb(127, 127, 63);
    g_BasicColour = Rgb(64, 128, 128);
    g_DiameterValueColour = Rgb(255, 255, 0);
    g_LengthValueColour = Rgb(255, 0, 255);
    g_MagazineNumberColour = Rgb(0, 255, 255);
    g_BackgroundColourSetting = Rgb(0, 0, 0);
    g_WorkAlpha = g_BaseAlpha = g_ToolAlpha = g_MachineAlpha = kDefaultAlpha;
}

// --- Colour values --------------------------------------------------------------------------------

namespace {

// One channel from a number: truncated; above 255 gives 255; a negative channel gives 0, or keeps
// previous (the colour-file rule) when keepNegative is set.
unsigned ClampChannel(double number, unsigned previous, int keepNegative)
{
    double whole = std::trunc(number);
    if (whole > 255.0) {
        return 255;
    }
    if (whole < 0.0) {
        return keepNegative ? previous : 0;
    }
    return static_cast<unsigned>(whole);
}

// The use flags after the ")" that follows position (the start of the third number).
void ReadColourFlags(const char* value, int position, int* flag1, int* flag2)
{
    const char* close = std::strchr(value + position, ')');
    if (close == nullptr) {
        return;
    }
    const char first = close[1];
    if (first != '0' && first != '1') {
        return;
    }
    if (first == '0' && flag1 != nullptr) {
        *flag1 = 0;
    }
    if (close[2] == '0' && flag2 != nullptr) {
        *flag2 = 0;
    }
}

// The common parser of both rules. Flags (either may be null) are set to 1 first.
void ParseColourText(const char* value, ColourValue* colour, int keepNegative, int* flag1, int* flag2)
{
    if (flag1 != nullptr) {
        *flag1 = 1;
    }
    if (flag2 != nullptr) {
        *flag2 = 1;
    }
    if (value == nullptr || colour == nullptr) {
        return;
    }
    if (strcasecmp(value, "BLACK") == 0) {
        *colour = 0;
        return;
    }
    if (strcasecmp(value, "WHITE") == 0) {
        *colour = 0xFFFFFFu;
        return;
    }
    double numbers[3];
    int position = 0;
    ReadNextNumber(&position, value, &numbers[0]);
    ReadNumberAfterComma(&position, value, &numbers[1]);
    ReadNumberAfterComma(&position, value, &numbers[2]);
    ColourValue result = 0;
    for (int channel = 0; channel < 3; ++channel) {
        unsigned previous = (*colour >> (8 * channel)) & 0xFFu;
        result |= ClampChannel(numbers[channel], previous, keepNegative) << (8 * channel);
    }
    *colour = result;
    if (flag1 != nullptr || flag2 != nullptr) {
        ReadColourFlags(value, position, flag1, flag2);
    }
}

// A value of section "Define" (at most 1023 characters).
void ReadDefineValue(const char* key, const char* defaultText, char* out, int outSize)
{
    ReadProfileString("Define", key, defaultText, out, outSize, g_IniFilePath);
}

} // namespace

void ParseIniColourValue(const char* value, ColourValue* colour, int* flag1, int* flag2)
{
    ParseColourText(value, colour, 0, flag1, flag2);
}

void ParseColour(const char* value, ColourValue* colour)
{
    ParseColourText(value, colour, 1, nullptr, nullptr);
}

void ParseColourWithFlags(const char* value, ColourValue* colour, int* flag1, int* flag2)
{
    ParseColourText(value, colour, 1, flag1, flag2);
}

void ReadIniColour(const char* key, const char* defaultText, ColourValue* colour)
{
    char value[1024];
    ReadDefineValue(key, defaultText, value, sizeof value);
    ParseColourText(value, colour, 0, nullptr, nullptr);
}

void ReadIniColourWithFlags(const char* key, const char* defaultText, ColourValue* colour, int* flag1,
                            int* flag2)
{
    char value[1024];
    ReadDefineValue(key, defaultText, value, sizeof value);
    ParseColourText(value, colour, 0, flag1, flag2);
}

void FormatColourValue(ColourValue colour, char* out, int outSize)
{
    if (out == nullptr || outSize < 1) {
        return;
    }
    std::snprintf(out, static_cast<size_t>(outSize), "(%u,%u,%u)", colour & 0xFFu, (colour >> 8) & 0xFFu,
                  (colour >> 16) & 0xFFu);
}

void FormatColourWithFlags(ColourValue colour, int flag1, int flag2, char* out, int outSize)
{
    if (out == nullptr || outSize < 1) {
        return;
    }
    if (flag1 != 0 && flag2 != 0) {
        FormatColourValue(colour, out, outSize);
        return;
    }
    std::snprintf(out, static_cast<size_t>(outSize), "(%u,%u,%u)%c%c", colour & 0xFFu,
                  (colour >> 8) & 0xFFu, (colour >> 16) & 0xFFu, flag1 != 0 ? '1' : '0',
                  flag2 != 0 ? '1' : '0');
}

float ParseTransparencyValue(const char* value)
{
    double number = value != nullptr ? ConvertNumberText(value) : 0.0;
    if (number > 1.0) {
        return 1.0f;
    }
    if (number < 0.0) {
        return 0.0f;
    }
    return static_cast<float>(number);
}

// --- Keys -----------------------------------------------------------------------------------------

#define PEN_KEY(n, text)                                                                                \
    {"PEN" #n " COLOR", text, &g_PenColours[n], &g_PenColourFlags[n], &g_PenColourFlags2[n]}

const ColourKey g_ColourKeys[] = {
    {"WORK COLOR", "(127,127,255)", &g_PenColours[0], &g_PenColourFlags[0], &g_PenColourFlags2[0]},
    PEN_KEY(1, "(0,255,0)"),
    PEN_KEY(2, "(255,255,0)"),
    PEN_KEY(3, "(192,192,192)"),
    PEN_KEY(4, "(191,191,0)"),
    PEN_KEY(5, "(191,0,191)"),
    PEN_KEY(6, "(0,191,191)"),
    PEN_KEY(7, "(255,0,127)"),
    PEN_KEY(8, "(63,63,127)"),
    PEN_KEY(9, "(0,127,0)"),
    PEN_KEY(10, "(127,127,0)"),
    PEN_KEY(11, "(95,95,95)"),
    PEN_KEY(12, "(95,95,0)"),
    PEN_KEY(13, "(95,0,95)"),
    PEN_KEY(14, "(0,95,95)"),
    PEN_KEY(15, "(127,0,63)"),
    {"PENKI COLOR", "(255,127,0)", &g_PaintColour, nullptr, nullptr},
    {"BASE COLOR", "(128,128,0)", &g_BaseColour, nullptr, nullptr},
    {"TOP-PATH COLOR", "(255,0,0)", &g_TopPathColour, nullptr, nullptr},
    {"TOP-PATH2 COLOR", "(255,128,0)", &g_TopPath2Colour, nullptr, nullptr},
    {"CONSTRUCTION COLOR", "(255,255,0)", &g_ConstructionColour, nullptr, nullptr},
    {"TOOL-TOP COLOR", "(255,0,128)", &g_ToolTopColour, nullptr, nullptr},
    {"TOOL-SIDE COLOR", "(128,128,192)", &g_ToolSideColour, nullptr, nullptr},
    {"ARBOR COLOR", "(0,128,0)", &g_ArborColour, nullptr, nullptr},
    {"HEAD(*) COLOR", "(113,145,113)", &g_HeadColours[HEAD_COLOUR_STAR], nullptr, nullptr},
    {"HEAD(**) COLOR", "(163,195,163)", &g_HeadColours[HEAD_COLOUR_DOUBLE_STAR], nullptr, nullptr},
    {"HEAD COLOR", "(63,95,63)", &g_HeadColours[HEAD_COLOUR_HEAD], nullptr, nullptr},
    {"HEAD1 COLOR", "(63,127,63)", &g_HeadColours[HEAD_COLOUR_HEAD1], nullptr, nullptr},
    {"HEAD2 COLOR", "(31,63,31)", &g_HeadColours[HEAD_COLOUR_HEAD2], nullptr, nullptr},
    {"TABLE(*) COLOR", "(50,178,242)", &g_TableColours[TABLE_COLOUR_STAR], nullptr, nullptr},
    {"TABLE COLOR", "(0,128,192)", &g_TableColours[TABLE_COLOUR_TABLE], nullptr, nullptr},
    {"TABLE1 COLOR", "(127,127,127)", &g_TableColours[TABLE_COLOUR_TABLE1], nullptr, nullptr},
    {"TABLE2 COLOR", "(0,63,63)", &g_TableColours[TABLE_COLOUR_TABLE2], nullptr, nullptr},
    {"VICE COLOR", "(127,127,63)", &g_ViceColour, nullptr, nullptr},
    {"BASIC COLOR", "(64,128,128)", &g_BasicColour, nullptr, nullptr},
    {"DIAMETER VALUE COLOR", "(255,255,0)", &g_DiameterValueColour, nullptr, nullptr},
    {"LENGTH VALUE COLOR", "(255,0,255)", &g_LengthValueColour, nullptr, nullptr},
    {"MAGAZINE NUMBER COLOR", "(0,255,255)", &g_MagazineNumberColour, nullptr, nullptr},
    {"BACKGROUND", "(0,0,0)", &g_BackgroundColourSetting, nullptr, nullptr},
};

#undef PEN_KEY

const int g_ColourKeyCount = static_cast<int>(sizeof g_ColourKeys / sizeof g_ColourKeys[0]);

const ColourKey* FindColourKey(const char* key)
{
    if (key == nullptr) {
        return nullptr;
    }
    for (int i = 0; i < g_ColourKeyCount; ++i) {
        if (std::strcmp(g_ColourKeys[i].key, key) == 0) {
            return &g_ColourKeys[i];
        }
    }
    return nullptr;
}

void ReadIniColourSettings()
{
    for (int i = 0; i < g_ColourKeyCount; ++i) {
        const ColourKey& entry = g_ColourKeys[i];
        if (entry.flag1 != nullptr) {
            ReadIniColourWithFlags(entry.key, entry.defaultValue, entry.colour, entry.flag1, entry.flag2);
        } else {
            ReadIniColour(entry.key, entry.defaultValue, entry.colour);
        }
    }
    static const struct {
        const char* key;
        float* alpha;
    } kAlphaKeys[] = {{"WORK ALPHA", &g_WorkAlpha},
                      {"BASE ALPHA", &g_BaseAlpha},
                      {"TOOL ALPHA", &g_ToolAlpha},
                      {"MACHINE ALPHA", &g_MachineAlpha}};
    for (const auto& entry : kAlphaKeys) {
        char value[1024];
        ReadDefineValue(entry.key, "0.5", value, sizeof value);
        *entry.alpha = ParseTransparencyValue(value);
    }
}

namespace {
// The program start values of the values above are the reset values: their definitions leave them
// to this call, so each default is written once.
[[maybe_unused]] const int kStartValuesSet = (ResetColourSettings(), 1);
}  // namespace
