// Holder interference: the rings of the tool body or of its holder, placed at a tool tip, tested
// against the vices, tables and basic models; raises the TOOL and ARBOR pair flags. Stand-in
// (holder_interference_standin.cpp) until the check is built: nothing is found.
#pragma once

// Checks rings firstRing to endRing - 1 of the tool profile within the part box (minimum, maximum,
// corners) placed at tip with the current machine position; raises flags, no result.
void CheckHolderInterference(int firstRing, int endRing, const double* boxMinimum, const double* boxMaximum,
                             const double (*boxCorners)[3], const double* tip);
