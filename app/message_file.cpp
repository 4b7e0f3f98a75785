// The message file: finding it at start-up, reading its entries, and putting its English texts on the
// menu bar, the command menu panel and the tool dimension labels. The menu item states live in
// menu_state.cpp.
#include "app/message_file.h"

#include <cstring>

#include "platform/ui/shell_services.h"
#include "machine_setup/settings/settings_file.h"
#include "platform/ui/menu.h"

FILE* g_MessageFile = nullptr;
char g_CommandPanelTexts[COMMAND_PANEL_TEXT_COUNT][COMMAND_PANEL_TEXT_SIZE];
char g_ToolDimensionLabels[TOOL_DIMENSION_LABEL_COUNT][TOOL_DIMENSION_LABEL_SIZE];

namespace {

const char kMessageFileName[] = "qumbra5000.mes";

const char* const kJapanesePanelTexts[COMMAND_PANEL_TEXT_COUNT] = {
    "メニュー", "初期(&R)", "最大(&F)", "ｽﾞｰﾑ(&Z)", "拡大(&W)", "縮小(&S)", "第１(&1)", "第２(&2)",
    "第３(&3)", "第４(&4)", "-15 (&5)", "+15 (&6)", "後ろ(&7)", " XZ (&8)", " YZ (&9)", " XY (&0)",
    "上側(&U)", "下側(&D)", "描画(&P)", "遠近(&@)", "戻す(&C)", "保存(&B)",
};

const char* const kJapaneseDimensionLabels[TOOL_DIMENSION_LABEL_COUNT] = {
    "直径", "角Ｒ", "Ｅ幅", "Ｆ高", "底角", "側角", "有効", "突出", "TopR", "Cp-w", "首下", "Tp-L", "Ｓ径",
    "ARad", "BRad", "Aang", "Bang", "内高", "下径", "上径", "厚み", "下Ｒ", "上Ｒ", "軸径", "MaxD",
};

// English labels; null keeps the letters the label already has.
const char* const kEnglishDimensionLabels[TOOL_DIMENSION_LABEL_COUNT] = {
    "Dia ", "C-r ", "E-w ", "F-h ", "BotA", "SidA", " H  ", "Len ", nullptr, nullptr, " Lu ", " Lt ", " Ds ",
    nullptr, nullptr, nullptr, nullptr, " Hi ", " Dl ", " Du ", " Th ", "Crl ", "Cru ", " Ra ", nullptr,
};

// Removes the line end ("\n", "\r\n") from a line read in text mode.
void TrimLineEnd(char* line)
{
    size_t length = std::strlen(line);
    while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r')) line[--length] = '\0';
}

// The next raw line that does not begin with a line end or "#"; 0 at the end of the file.
int ReadRawLine(char* line)
{
    while (g_MessageFile != nullptr && std::fgets(line, MESSAGE_ENTRY_SIZE, g_MessageFile) != nullptr) {
        if (line[0] != '\n' && line[0] != '\r' && line[0] != '#') return 1;
    }
    return 0;
}

// The command menu panel: line 0 the title, lines 1 to 21 the first four characters of a button caption,
// its access-key suffix ("(&R)") kept.
// At the end of the file the text last read (the last entry, or the last panel line) stands.
void ApplyPanelTexts(const char* lastEntry)
{
    char line[MESSAGE_ENTRY_SIZE];
    std::snprintf(line, sizeof line, "%s", lastEntry);
    for (int slot = 0; slot < COMMAND_PANEL_TEXT_COUNT; ++slot) {
        ReadRawLine(line);   // at the end of the file the text last read stands
        char text[MESSAGE_ENTRY_SIZE];
        std::memcpy(text, line, sizeof text);
        TrimLineEnd(text);
        char* target = g_CommandPanelTexts[slot];
        if (slot == 0) {
            std::snprintf(target, COMMAND_PANEL_TEXT_SIZE, "%.8s", text);
            continue;
        }
        const char* suffix = std::strstr(target, "(&");
        char kept[COMMAND_PANEL_TEXT_SIZE - 4];
        std::snprintf(kept, sizeof kept, "%s", suffix != nullptr ? suffix : "");
        std::snprintf(target, COMMAND_PANEL_TEXT_SIZE, "%.4s%.27s", text, kept);
    }
}

void ApplyEnglishDimensionLabels()
{
    for (int i = 0; i < TOOL_DIMENSION_LABEL_COUNT; ++i) {
        if (kEnglishDimensionLabels[i] != nullptr) {
            std::snprintf(g_ToolDimensionLabels[i], TOOL_DIMENSION_LABEL_SIZE, "%s", kEnglishDimensionLabels[i]);
        }
    }
}

// Replaces an item's caption by command id through the whole menu bar: a greyed item stays greyed and
// disabled, any other becomes an enabled string item without a check mark.
void ApplyItemCaption(MenuHandle bar, int id, const char* caption)
{
    const int state = GetUiMenuItemState(bar, id, MF_BYCOMMAND);
    if (state < 0) return;
    SetUiMenuItemCaption(bar, id, MF_BYCOMMAND, caption);
    EnableUiMenuItem(bar, id, (state & (MF_GRAYED | MF_DISABLED)) ? (MF_GRAYED | MF_DISABLED) : MF_ENABLED);
    CheckUiMenuItem(bar, id, MF_UNCHECKED);
}

// The items of one popup of the menu bar, a nested popup taking one entry for itself and one for each
// of its items.
void ApplyPopupTexts(MenuHandle bar, MenuHandle popup, char* entry)
{
    const int count = CountUiMenuItems(popup);
    for (int position = 0; position < count; ++position) {
        const int state = GetUiMenuItemState(popup, position, MF_BYPOSITION);
        if (state < 0 || (state & MF_SEPARATOR)) continue;
        ReadMessageFileEntry(entry);
        if (!(state & MF_POPUP)) {
            ApplyItemCaption(bar, GetUiMenuItemId(popup, position), entry);
            continue;
        }
        SetUiMenuItemCaption(popup, position, MF_BYPOSITION, entry);
        MenuHandle nested = GetUiSubMenu(popup, position);
        const int nestedCount = CountUiMenuItems(nested);
        for (int item = 0; item < nestedCount; ++item) {
            const int nestedState = GetUiMenuItemState(nested, item, MF_BYPOSITION);
            if (nestedState < 0 || (nestedState & MF_SEPARATOR)) continue;
            ReadMessageFileEntry(entry);
            const int id = GetUiMenuItemId(nested, item);
            if (id > 0) ApplyItemCaption(bar, id, entry);
            else SetUiMenuItemCaption(nested, item, MF_BYPOSITION, entry);
        }
    }
}

}  // namespace

void ResetMessageFileTexts()
{
    for (int i = 0; i < COMMAND_PANEL_TEXT_COUNT; ++i) {
        std::snprintf(g_CommandPanelTexts[i], COMMAND_PANEL_TEXT_SIZE, "%s", kJapanesePanelTexts[i]);
    }
    for (int i = 0; i < TOOL_DIMENSION_LABEL_COUNT; ++i) {
        std::snprintf(g_ToolDimensionLabels[i], TOOL_DIMENSION_LABEL_SIZE, "%s", kJapaneseDimensionLabels[i]);
    }
    if (g_MessageFile != nullptr) std::fclose(g_MessageFile);
    g_MessageFile = nullptr;
}

FILE* OpenMessageFile()
{
    if (g_CommandPanelTexts[0][0] == '\0') ResetMessageFileTexts();
    FILE* file = std::fopen(kMessageFileName, "r");
    if (file == nullptr && g_ProgramFolder[0] != '\0') {
        char path[SETTINGS_PATH_SIZE];
        JoinPath(g_ProgramFolder, kMessageFileName, path, sizeof path);
        file = std::fopen(path, "r");
    }
    if (file == nullptr) return nullptr;
    if (g_MessageFile != nullptr) std::fclose(g_MessageFile);
    g_MessageFile = file;
    g_EnglishUi = 1;
    return file;
}

int ReadMessageFileEntry(char* buffer)
{
    char line[MESSAGE_ENTRY_SIZE];
    while (g_MessageFile != nullptr && std::fgets(line, sizeof line, g_MessageFile) != nullptr) {
        if (line[0] != '[' && line[0] != ' ') continue;
        TrimLineEnd(line);
        if (line[0] == '[') {
            size_t length = std::strlen(line);
            if (length > 1 && line[length - 1] == ']') line[--length] = '\0';
            std::memmove(buffer, line + 1, length);
            return 1;
        }
        const int form = line[1] == ' ' ? 3 : 2;
        std::memmove(buffer, line + form - 1, std::strlen(line + form - 1) + 1);
        return form;
    }
    return 0;
}

void ApplyMessageFileTexts(MenuHandle menu)
{
    if (g_CommandPanelTexts[0][0] == '\0') ResetMessageFileTexts();
    if (!g_EnglishUi) return;
    char entry[MESSAGE_ENTRY_SIZE] = "";
    const int count = menu != nullptr ? CountUiMenuItems(menu) : 0;
    for (int position = 0; position < count; ++position) {
        ReadMessageFileEntry(entry);
        SetUiMenuItemCaption(menu, position, MF_BYPOSITION, entry);
        MenuHandle popup = GetUiSubMenu(menu, position);
        if (popup != nullptr) ApplyPopupTexts(menu, popup, entry);
    }
    ApplyPanelTexts(entry);
    ApplyEnglishDimensionLabels();
    if (g_MessageFile != nullptr) std::fclose(g_MessageFile);
    g_MessageFile = nullptr;
}
