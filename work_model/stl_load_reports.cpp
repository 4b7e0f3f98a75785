// The progress, message pump and status text of the STL loads, passed on to the shell and view.
#include "work_model/stl_load_reports.h"

#include "platform/ui/shell_services.h"
#include "platform/ui/progress.h"

void BeginStlProgress(WindowHandle owner, const char* path, int factor)
{
    BeginProgress(owner, 0, 0, path, factor, "STL読み込み計算", "Reading STL");
}

void EndStlProgress()
{
    EndProgress();
}

void ReportStlBytes(int bytes)
{
    AddProgress(bytes);
    UpdateProgress(0);
}

void PumpDuringStlWork()
{
    if (g_PumpMessagesInLoops) PumpMessagesDuringWork();
}

void ShowStlStatusText(const char* text)
{
    SetStatusBarText(0, text);
}
