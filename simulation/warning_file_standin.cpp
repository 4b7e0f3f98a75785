// Stand-in of the warning file: it is never opened here.
#include "simulation/warning_file.h"

FILE* g_WarningFile = nullptr;
char g_WarningFilePath[512] = "";

void OpenWarningFile() {}
