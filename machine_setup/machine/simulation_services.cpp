// The simulation values the kinematics read, with their start values, and the long rotary move
// warning: counted here, written to the warning file by the hook the simulation installs.
#include "machine_setup/machine_setup_state.h"

#include "machine_setup/controller/controller_definition.h"

double g_TableRotaryCosSin[4] = {1.0, 0.0, 1.0, 0.0};
double g_StepAxisIncrements[3] = {0.0, 0.0, 0.0};
double g_ZTurnAngle = 0.0;
int g_RotatingAxisIndex = 4;   // rotary 2 until a turning run names its axis
int g_OvertravelAxis = -1;
double g_RotaryDisplayAngles[2] = {0.0, 0.0};
int g_RotaryAxesMoving = 0;
int g_WarningCount = 0;
void (*g_WarnLongRotaryMoveHook)(double, double, double, double) = nullptr;

void WarnLongRotaryMove(double previous1, double previous2, double new1, double new2)
{
    if (g_WarningLevel <= 0) return;
    // The hook writes the warning file and counts the warning itself (opening the file starts the
    // count of a run anew); without one the warning is only counted.
    if (g_WarnLongRotaryMoveHook != nullptr) {
        g_WarnLongRotaryMoveHook(previous1, previous2, new1, new2);
    } else {
        ++g_WarningCount;
    }
}
