// Drawing resources: the pens made for the panels and for the read plug-ins' paths (and none left over
// after a second make or at exit), the scene materials from the colour settings, the cursor routines,
// and the choice of what the pump of long work may dispatch.
#include <gtest/gtest.h>

#include "app/gdi_resources.h"
#include "app/startup.h"
#include "machine_setup/settings/colour_settings.h"
#include "platform/ui/cursor_clipboard.h"
#include "view/scene_materials.h"
#include "view/view_window.h"

namespace {

intptr_t PlainProc(WindowHandle window, unsigned message, uintptr_t wParam, intptr_t lParam)
{
    return DefaultWindowProc(window, message, wParam, lParam);
}

TEST(GdiResources, PensFollowTheReadPluginsAndAreReleased)
{
    g_ReadPluginFamilyCount = 0;
    CreateGdiResources();
    EXPECT_EQ(CountMadePens(), 4) << "no read plug-in: no path pen";
    EXPECT_EQ(g_GreyDotPen.style, PEN_DOT);
    EXPECT_EQ(g_LightGreyPen.colour, 0xBFBFBFu);
    g_ReadPluginFamilyCount = 1;
    g_ReadPluginPathColourCount[0] = 10;
    for (int j = 0; j < 10; ++j) g_ReadPluginPathColours[0][j] = 0x010101u * static_cast<unsigned>(j);
    CreatePathPens();
    EXPECT_EQ(CountMadePens(), 34) << "ten path colours: thirty pens";
    EXPECT_EQ(g_PathDashDotPens[0][9].colour, 0x090909u);
    g_ReadPluginPathColourCount[0] = 2;
    CreatePathPens();
    EXPECT_EQ(CountMadePens(), 10) << "a second make releases the earlier pens";
    g_ReadPluginPathColourCount[0] = 99;   // more than the table holds is cut to ten
    CreatePathPens();
    EXPECT_EQ(CountMadePens(), 34);
    DeleteGdiResources();
    EXPECT_EQ(CountMadePens(), 0);
    g_ReadPluginFamilyCount = 0;
    g_ReadPluginPathColourCount[0] = 0;
}

TEST(GdiResources, MaterialsTakeTheColoursAndTheirTransparencies)
{
    g_ToolTopColour = 0x000000FFu;
    g_ToolAlpha = 0.25f;
    g_HeadColours[HEAD_COLOUR_HEAD2] = 0x00FF0000u;
    g_MachineAlpha = 0.5f;
    g_PenColours[3] = 0x0000FF00u;
    g_WorkAlpha = 0.75f;
    g_BackgroundColourSetting = 0x00FFFFFFu;
    CreateGdiResources();
    EXPECT_EQ(g_ToolTopMaterial.rgba[0], 1.0f);
    EXPECT_EQ(g_ToolTopMaterial.rgba[3], 0.25f);
    EXPECT_EQ(g_HeadPartMaterials[HEAD_COLOUR_HEAD2].rgba[2], 1.0f);
    EXPECT_EQ(g_HeadPartMaterials[HEAD_COLOUR_HEAD2].rgba[3], 0.5f);
    EXPECT_EQ(g_PenMaterials[3].rgba[1], 1.0f);
    EXPECT_EQ(g_PenMaterials[3].rgba[3], 0.75f);
    EXPECT_EQ(g_BackgroundColour[3], 1.0f);
    EXPECT_EQ(g_BackgroundColour[0], 1.0f);
    g_MachineAlpha = 1.0f;
    UpdateMachinePartColours();
    EXPECT_EQ(g_HeadPartMaterials[HEAD_COLOUR_HEAD2].rgba[3], 1.0f);
    DeleteGdiResources();
}

TEST(GdiResources, CursorRoutines)
{
    ASSERT_EQ(StartEventCore(nullptr), 1);
    CreateGdiResources();
    // No mode cursor active: the arrow whatever the mouse mode.
    for (int mode : {1, 5, 11, 12, 13}) {
        g_ViewMouseMode = mode;
        g_ModeCursorActive = 0;
        SetUiCursor(IDC_WAIT);
        RestoreInteractionCursor();
        EXPECT_EQ(GetUiCursor(), IDC_ARROW) << mode;
    }
    g_ModeCursorActive = 1;
    g_ViewMouseMode = 11;
    RestoreInteractionCursor();
    EXPECT_EQ(GetUiCursor(), 238);
    g_ViewMouseMode = 12;
    RestoreInteractionCursor();
    EXPECT_EQ(GetUiCursor(), 258);
    SetCursorTo(g_WaitCursor);
    EXPECT_EQ(GetUiCursor(), IDC_WAIT);
    // The end of an auto-rotation: the class cursor back to the arrow, its timer gone.
    const UiRect rect = {0, 0, 100, 100};
    WindowHandle view = CreateUiWindow("GdiView", "", PlainProc, nullptr, 0, &rect, 0);
    SetUiClassCursor(view, GetModeCursor(238));
    SetUiTimer(view, 2, 50);
    RestoreCursorAndKillTimer(view, 2);
    EXPECT_EQ(GetUiClassCursor(view), IDC_ARROW);
    EXPECT_EQ(IsUiTimerSet(view, 2, nullptr), 0);
    EXPECT_EQ(g_ModeCursorActive, 0);
    EXPECT_EQ(GetModeCursor(999), 0);
    g_ViewMouseMode = 11;
    DeleteGdiResources();
    StopEventCore();
}

TEST(WorkPumpChoice, DispatchesOnNewBuildsWithTheNewOption)
{
    struct Case {
        int build;
        int option;
        int dispatch;
    };
    const Case cases[] = {{19040, 1, 0}, {19041, 1, 1}, {22000, 0, 0}, {0, 1, 1}, {0, 0, 0}};
    for (const Case& c : cases) EXPECT_EQ(DecidePumpDispatch(c.build, c.option), c.dispatch) << c.build << " " << c.option;
}

}  // namespace
