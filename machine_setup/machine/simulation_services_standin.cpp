// Stand-in definitions of the simulation values the kinematics read, and of the long rotary move
// warning, until the simulation thread and its warning file exist. The warning only counts.
#include "machine_setup/machine/simulation_services.h"

#include "machine_setup/controller/controller_definition.h"

double g_TableRotaryCosSin[4] = {1.0, 0.0, 1.0, 0.0};
double g_StepAxisIncrements[3] = {0.0, 0.0, 0.0};
double g_ZTurnAngle = 0.0;
int g_OvertravelAxis = -1;
double g_RotaryDisplayAngles[2] = {0.0, 0.0};
int g_RotaryAxesMoving = 0;
int g_WarningCount = 0;

void WarnLongRotaryMove(double previous1, double previous2, double new1, double new2)
{
    (void)previous1;
    (void)previous2;
    (void)new1;
    (void)new2;
    if (g_WarningLevel > 0) ++g_WarningCount;
}
