// Stand-ins for the sub-program push and pop until the program index builds them: no call is made.
#include "nc/subprogram_calls.h"

void CallMemorySubprogram(int, const char*) {}
void CallSubprogramFile(const char*, int) {}
void ReturnFromSubprogram() {}
