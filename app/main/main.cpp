// Program entry point. Until the application shell (start-up, frame, command line, macros) is built,
// the program runs the batch demo: "qumbra" alone uses the demo data found from the current folder,
// "qumbra --demo DIR [OUTDIR]" the data in DIR, writing the cut work to OUTDIR (default: the current
// folder).
#include <cstdio>
#include <cstring>

#include "app/batch_demo.h"

namespace {

void PrintUsage()
{
    std::printf("usage: qumbra                        batch demo on resources/demo, work saved here\n"
                "       qumbra --demo DIR [OUTDIR]    batch demo on the data in DIR, work saved in OUTDIR\n"
                "The interactive program and its other command-line switches are not built yet.\n");
}

}  // namespace

int main(int argc, char** argv)
{
    char dataFolder[BATCH_DEMO_PATH_SIZE] = "";
    const char* outputFolder = "";
    if (argc == 1) {
        if (!FindDefaultDemoFolder(dataFolder, sizeof dataFolder)) {
            std::fprintf(stderr, "qumbra: no demo data (resources/demo) found; use --demo DIR\n");
            return 2;
        }
    } else if (std::strcmp(argv[1], "--demo") == 0 && (argc == 3 || argc == 4)) {
        std::snprintf(dataFolder, sizeof dataFolder, "%s", argv[2]);
        if (argc == 4) outputFolder = argv[3];
    } else {
        PrintUsage();
        return std::strcmp(argv[1], "--help") == 0 ? 0 : 2;
    }
    BatchDemoReport report;
    const int result = RunBatchDemo(dataFolder, outputFolder, &report);
    PrintBatchDemoReport(&report);
    return result == 1 && report.ncAlarm == 0 && report.overtravelAxis < 0 ? 0 : 1;
}
