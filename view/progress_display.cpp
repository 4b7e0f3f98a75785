// The NC variants of the progress display and the hooks the progress channels use.
#include "view/progress_display.h"

#include <cstring>

#include "machine_setup/controller/controller_definition.h"
#include "machine_setup/machine_setup_state.h"
#include "machine_setup/settings/display_settings.h"
#include "nc/interpreter_state.h"
#include "nc/reader_plugin.h"
#include "platform/ui/progress.h"

namespace {

uint64_t KindTotal(int kind, const char* file)
{
    if (kind == 2) {
        const int64_t blocks = ReaderPluginTotalBlocks(file);
        return blocks > 0 ? static_cast<uint64_t>(blocks) : 0;
    }
    if (kind == 1000 && g_ProgramText != nullptr) return std::strlen(g_ProgramText);
    return 0;
}

uint64_t SubprogramTotal(const char*)
{
    const int level = g_SubprogramDepth - 1;
    if (level < 0 || level >= MAX_SUBPROGRAM_DEPTH || !g_SubprogramInMemory[level]) return 0;
    const int index = g_SubprogramIndex[level];
    if (g_MemorySubprogramLengths == nullptr || index < 0 || index >= g_MemorySubprogramCount) return 0;
    const int32_t length = g_MemorySubprogramLengths[index];
    return length > 0 ? static_cast<uint64_t>(length) : 0;
}

int IsStopPending() { return g_StopBlockPending; }

// A reader plug-in that cannot count its blocks shows no main progress.
int NcProgressShown() { return g_ActiveReaderPlugin < 0 || ReaderPluginHasTotalBlock(); }

}  // namespace

void InstallProgressDisplayHooks()
{
    g_ProgressHooks.kindTotal = KindTotal;
    g_ProgressHooks.subprogramTotal = SubprogramTotal;
    g_ProgressHooks.stopPending = IsStopPending;
    g_ProgressHooks.captionSetting = g_ProgressName;
}

void BeginNcProgress(WindowHandle window, const char* file, const char* japaneseText, const char* englishText)
{
    int kind = 0;
    if (g_ActiveReaderPlugin >= 0) {
        if (!ReaderPluginHasTotalBlock()) return;
        kind = 2;
    } else if (g_RunFromMemory && g_MemorySubprogramCount > 0) {
        kind = 1000;
    }
    BeginProgress(window, kind, 0, file, 1, japaneseText, englishText);
}

void UpdateNcProgress(int force)
{
    if (NcProgressShown()) UpdateProgress(force);
}

void EndNcProgress()
{
    if (NcProgressShown()) EndProgress();
}
