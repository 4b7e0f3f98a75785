// The steps every command that makes the current work shares.
#include "app/work_steps.h"

#include <cmath>

#include "machine_setup/settings/display_settings.h"
#include "machine_setup/settings/work_settings.h"
#include "platform/ui/repaint_requests.h"
#include "platform/ui/shell_services.h"
#include "view/default_shapes.h"
#include "view/view_camera.h"
#include "view/view_window.h"
#include "view/work_display.h"
#include "work_model/work_model.h"

double g_WorkViewExtents[3] = {0.0, 0.0, 0.0};

void FitViewToWork()
{
    const WorkModel* work = &g_WorkModels[g_CurrentWorkIndex];
    if (work->minCorner == nullptr || work->maxCorner == nullptr) return;
    double scale = 0.0;
    for (int a = 0; a < 3; ++a) {
        double e = std::fmax(static_cast<float>(work->maxCorner[a] - work->minCorner[a]), work->translation[a]);
        e = std::fmax(e, std::fabs(work->minCorner[a]));
        e = std::fmax(e, std::fabs(work->maxCorner[a]));
        g_WorkViewExtents[a] = e;
        scale = std::fmax(scale, e);
    }
    g_SceneScale = scale;
    if (g_FullViewWork == 1) {
        double zoom = 1.0;
        for (double e : g_WorkViewExtents) {
            if (e > 0.0) zoom = std::fmax(zoom, g_SceneScale * 0.5 / e);
        }
        g_ViewFitZoom = zoom;
    }
    g_DefaultPartSize = 0.25 * std::sqrt(g_WorkViewExtents[0] * g_WorkViewExtents[0] +
                                         g_WorkViewExtents[1] * g_WorkViewExtents[1]);
}

void FinishNewWork()
{
    g_RebuildAxisTriad = g_RebuildTablePartLists = g_RebuildTable1PartList = g_RebuildTable2PartList = 1;
    g_RebuildHeadPartLists = g_RebuildHead1PartList = g_RebuildHead2PartList = 1;
    g_RebuildViceModelsList = g_RebuildMachineBasicModelsList = 1;
    MarkWorkBlocksForRebuild();
}

void ShowNewWork()
{
    FitViewToWork();
    FinishNewWork();
    if (g_SilentMode) return;
    SetViewCentreFromTarget();
    g_ViewZoom = g_ViewFitZoom;
    g_ViewChanged = 1;
}
