// Stand-in of the interference reports: no report is opened or written.
#include "simulation/interference_reports.h"

int g_DetailedInterferenceReport = 0;

void OpenInterference2Report() {}
void WriteInterference2Entry() {}
void WriteInterferenceReport() {}
void CloseInterferenceFile() {}
