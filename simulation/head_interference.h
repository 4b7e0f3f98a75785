// Head interference: the machine heads at the current machine position tested against the work, the
// vices, tables and basic models; raises the HEAD, HEAD1 and HEAD2 pair flags. Stand-in
// (head_interference_standin.cpp) until the checks are built: nothing is found.
#pragma once

int CheckHeadInterference();
int CheckHead1Interference();
int CheckHead2Interference();
