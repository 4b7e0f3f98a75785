// Program entry point: "qumbra --demo DIR [OUTDIR]" runs the batch demo on the data in DIR (writing the
// cut work to OUTDIR, default the current folder); anything else starts the program with its command
// line. The real window system is used when a display can be opened and the run is not silent.
#include <cstdio>
#include <cstring>

#include "app/batch_demo.h"
#include "app/command_line.h"
#include "platform/ui/shell_services.h"
#include "app/startup.h"
#include "platform/ui/fltk/fltk_backend.h"

namespace {

int g_DisplayOpened = 0;

const UiBackend* ChooseBackend(int silent)
{
    if (silent || !OpenFltkDisplay()) return nullptr;
    g_DisplayOpened = 1;
    SetFltkEnglishButtons(g_EnglishUi);
    return GetFltkBackend();
}

int RunDemo(int argc, char** argv)
{
    char dataFolder[BATCH_DEMO_PATH_SIZE] = "";
    std::snprintf(dataFolder, sizeof dataFolder, "%s", argv[2]);
    const char* outputFolder = argc == 4 ? argv[3] : "";
    BatchDemoReport report;
    const int result = RunBatchDemo(dataFolder, outputFolder, &report);
    PrintBatchDemoReport(&report);
    return result == 1 && report.ncAlarm == 0 && report.overtravelAxis < 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "--demo") == 0) {
        if (argc == 3 || argc == 4) return RunDemo(argc, argv);
        std::fprintf(stderr, "usage: qumbra --demo DIR [OUTDIR]\n");
        return 2;
    }
    static char commandLine[8192];
    if (!JoinCommandLineArguments(argc, argv, commandLine, sizeof commandLine)) {
        std::fprintf(stderr, "qumbra: the command line is too long\n");
        return 2;
    }
    const int exitCode = RunProgram(commandLine, 1 /* SW_SHOWNORMAL */, ChooseBackend);
    if (g_DisplayOpened) CloseFltkDisplay();
    return exitCode;
}
