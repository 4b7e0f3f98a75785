// The state of the frame's menu items: the items that need a work, the check marks that mirror the
// settings, and the menus greyed while a run is in progress.
#include "app/message_file.h"

#include "app/plugins.h"
#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/settings_file.h"
#include "machine_setup/settings/work_settings.h"
#include "nc/interpreter_state.h"
#include "platform/ui/menu.h"
#include "platform/ui/shell_services.h"
#include "machine_setup/machine_setup_state.h"

namespace {

// The items that need a work (the difference painting also needs a basic model).
const int kWorkEditItems[] = {32905, 32786, 32826, 32827, 32788, 32906, 32789, 32790, 32820, 32851};
const int kDifferencePaintItem = 32893;

// Positions of the menu bar's popups.
const int kNcDataMenu = 0;
const int kWorkMenu = 1;
const int kRunMenu = 2;
const int kSettingFilesMenu = 3;
const int kDisplayMenu = 4;
const int kWorkMenuKeptPosition = 5;
const int kColourSettingsPosition = 5;
const int kMovieSettingsItem = 32907;

void CheckItem(MenuHandle menu, int id, int on)
{
    CheckUiMenuItem(menu, id, on ? MF_CHECKED : MF_UNCHECKED);
}

void SetPosition(MenuHandle popup, int position, unsigned state)
{
    if (popup != nullptr && position >= 0) EnableUiMenuItem(popup, position, MF_BYPOSITION | state);
}

void SetAllPositions(MenuHandle popup, int except, unsigned state)
{
    const int count = popup != nullptr ? CountUiMenuItems(popup) : 0;
    for (int position = 0; position < count; ++position) {
        if (position != except) SetPosition(popup, position, state);
    }
}

// The positions a run greys and its end enables again.
void SetRunMenus(MenuHandle menu, unsigned state)
{
    MenuHandle ncData = GetUiSubMenu(menu, kNcDataMenu);
    for (int position = 0; position <= 2; ++position) SetPosition(ncData, position, state);
    SetAllPositions(GetUiSubMenu(menu, kWorkMenu), kWorkMenuKeptPosition, state);
    MenuHandle run = GetUiSubMenu(menu, kRunMenu);
    const int runPositions[] = {0, 1, 2, 6, 7};
    for (int position : runPositions) SetPosition(run, position, state);
    SetAllPositions(GetUiSubMenu(menu, kSettingFilesMenu), -1, state);
    SetPosition(GetUiSubMenu(menu, kDisplayMenu), kColourSettingsPosition, state);
    EnableUiMenuItem(menu, kMovieSettingsItem, MF_BYCOMMAND | state);
}

}  // namespace

void EnableWorkEditMenu(MenuHandle menu, unsigned state)
{
    if (menu == nullptr) return;
    for (int id : kWorkEditItems) EnableUiMenuItem(menu, id, MF_BYCOMMAND | state);
    if (g_BasicModelPath[0] != '\0') EnableUiMenuItem(menu, kDifferencePaintItem, MF_BYCOMMAND | state);
}

void UpdateMenuChecks(MenuHandle menu)
{
    if (menu == nullptr) return;
    CheckItem(menu, 32800, g_ShowConstructionPoints);
    CheckItem(menu, 32777, g_ShowToolPath);
    CheckItem(menu, 32778, g_ShowLinearToolPath);
    const int centreItem = g_ToolCentreMode == 0 ? 32897 : g_ToolCentreMode == 1 ? 32898 : 32899;
    for (int id = 32897; id <= 32899; ++id) CheckItem(menu, id, id == centreItem);
    for (int id = 32853; id <= 32857; ++id) CheckItem(menu, id, 0);
    CheckItem(menu, 32853 + g_StopMode, 1);
    CheckItem(menu, 32902, g_RealRotation);
    CheckItem(menu, 32908, g_RealRapid);
    if (g_NcComPlugin != nullptr) CheckItem(menu, 32931, g_UseNcComPlugin == 0);
    CheckItem(menu, 213, g_ShowCommandMenuPanel);
    CheckItem(menu, 32816, g_ShowToolPanel);
    CheckItem(menu, 32828, g_ShowAxisTriad);
    CheckItem(menu, 32901, g_Perspective);
}

void DisableMenusForRun(WindowHandle frame, MenuHandle menu)
{
    if (menu == nullptr) return;
    SetRunMenus(menu, MF_GRAYED);
    DrawUiMenuBar(frame);
}

void EnableMenusAfterRun(WindowHandle frame, MenuHandle menu)
{
    if (menu == nullptr) return;
    SetRunMenus(menu, MF_ENABLED);
    MenuHandle run = GetUiSubMenu(menu, kRunMenu);
    const int count = run != nullptr ? CountUiMenuItems(run) : 0;
    const int fromEnd[] = {14, 13, 11, 1};
    for (int back : fromEnd) SetPosition(run, count - back, MF_ENABLED);
    // The work menu's positions were enabled as a whole: the items that need a work (or a basic model)
    // are greyed again when there is none.
    if (!g_WorkDefined) EnableWorkEditMenu(menu, MF_GRAYED);
    if (!g_WorkDefined || g_BasicModelPath[0] == '\0') {
        EnableUiMenuItem(menu, kDifferencePaintItem, MF_BYCOMMAND | MF_GRAYED);
    }
    DrawUiMenuBar(frame);
}
