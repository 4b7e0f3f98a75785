// Stand-in for the program index and sub-program calls: no sub-program is ever indexed or called, so
// the interpreter always reads the main program (sub-program depth 0).
#include "nc/subprograms.h"

int g_MainProgramBytes = 0;
char g_SubprogramPath[256] = {};

void IndexNcFile() {}
int FindSubprogramByNumber(int) { return -1; }
int FindSubprogramByName(const char*) { return -1; }
