// Machine part model bookkeeping for the machine definition reader: readability of a model file, the
// reset and release of the model lists, the tool-change route, the angle-head direction and its angles
// and box corners. The STL loading of the part models lives with the part-model loaders.
#include "machine_setup/machine/machine_models.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/ui/shell_services.h"
#include "machine_setup/machine/machine_definition.h"
#include "machine_setup/machine/rotation.h"
#include "platform/ui/message_box.h"
#include "platform/ui/ui_constants.h"
#include "work_model/file_routines.h"

ToolChangeRouteStep g_ToolChangeRoute[MAX_TOOL_CHANGE_ROUTE_STEPS];
int g_ToolChangeRouteStepCount = 0;
int g_ViceModelsFromUser = 0;

namespace {

const double kPi = 3.141592653589793;

// Caption of the unreadable-model message (the system has no English text for it).
const char kUnreadableModelCaption[] = "ファイルが存在しないか読めない状態です!";

void ClearRouteStep(ToolChangeRouteStep* step)
{
    for (int k = 0; k < 5; ++k) step->moves[k] = 0;
}

// A rotary letter that is blank or not printable names no axis.
int IsAxisLetter(char ch)
{
    return ch > ' ' && ch != '-' && ch != 127;
}

}  // namespace

int CheckModelFileReadable(const char* path)
{
    FILE* file = (path != nullptr && path[0] != '\0') ? OpenFile(path, "rb") : nullptr;
    if (file != nullptr) {
        std::fclose(file);
        return 1;
    }
    ShowUiMessageBox(g_MainWindow, path != nullptr ? path : "", kUnreadableModelCaption, MB_OK | MB_TOPMOST);
    return 0;
}

void ComputeToolDirectionFromAngles(double a, double b, double c, double* direction)
{
    double x = 0.0, y = 0.0, z = 1.0;
    if (a != 0.0) {
        if (a == 90.0) {
            x = 0.0; y = -1.0; z = 0.0;
        } else if (a == -90.0) {
            x = 0.0; y = 1.0; z = 0.0;
        } else {
            double t = a * kPi / 180.0;
            x = 0.0; y = -std::sin(t); z = std::cos(t);
        }
    } else if (b == 0.0) {
        direction[0] = 0.0; direction[1] = 0.0; direction[2] = 1.0;
        return;
    } else if (b == 90.0) {
        x = 1.0; y = 0.0; z = 0.0;
    } else if (b == -90.0) {
        x = -1.0; y = 0.0; z = 0.0;
    } else {
        double t = b * kPi / 180.0;
        x = std::sin(t); y = 0.0; z = std::cos(t);
    }
    if (c != 0.0) {
        double s = 0.0, co = 1.0;
        ComputeAxisAngleSinCos(c, 1, &s, &co);
        double turnedX = co * x - s * y;
        double turnedY = s * x + co * y;
        x = turnedX;
        y = turnedY;
    }
    direction[0] = x;
    direction[1] = y;
    direction[2] = z;
}

// A is the angle from the vertical (0 to 180 degrees); C the azimuth measured from +Y towards +X, so
// that a direction along +Y gives 0, -Y 180, +X 90 and -X -90.
void ComputeDirectionAngles(const double* direction, double* a, double* c)
{
    double x = direction[0], y = direction[1], z = direction[2];
    if (x == 0.0 && y == 0.0) {
        *a = 0.0;
        *c = 0.0;
        return;
    }
    if (x == 0.0) {
        *c = (y > 0.0) ? 0.0 : 180.0;
    } else if (y == 0.0) {
        *c = (x > 0.0) ? 90.0 : -90.0;
    } else {
        *c = std::atan2(x, y) * 180.0 / kPi;
    }
    if (z == 0.0) {
        *a = 90.0;
    } else {
        double horizontal = std::sqrt(x * x + y * y);
        *a = std::atan2(horizontal, z) * 180.0 / kPi;
    }
}

void ResetMachineModels(int resetUserVice)
{
    g_BasicModelCount = 0;
    for (int k = 0; k < MAX_BASIC_MODEL_FILES; ++k) g_BasicModelFiles[k][0] = '\0';
    if (resetUserVice == 1) g_ViceModelsFromUser = 0;
    if (resetUserVice == 1 || g_ViceModelsFromUser == 0) {
        for (int k = 0; k < MAX_VICE_MODEL_FILES; ++k) g_ViceModelFiles[k][0] = '\0';
        g_ViceModelCount = 0;
        g_ViceOffsetCount = 0;
        std::memset(g_PartModelOffsets.vice, 0, sizeof g_PartModelOffsets.vice);
    }
    for (int k = 0; k < PART_MODEL_COUNT; ++k) g_PartModelFiles[k][0] = '\0';
    std::memset(g_PartModelOffsets.basic, 0, sizeof g_PartModelOffsets.basic);
    std::memset(g_PartModelOffsets.part, 0, sizeof g_PartModelOffsets.part);
}

int ParseToolChangeRoute(const char* text)
{
    for (int k = 0; k < MAX_TOOL_CHANGE_ROUTE_STEPS; ++k) ClearRouteStep(&g_ToolChangeRoute[k]);
    if (text == nullptr || text[0] == '\0') {
        g_ToolChangeRoute[0].moves[AXIS_Z] = 1;
        g_ToolChangeRoute[1].moves[AXIS_X] = 1;
        g_ToolChangeRoute[1].moves[AXIS_Y] = 1;
        g_ToolChangeRouteStepCount = 2;
        return 1;
    }
    int step = 0;
    int result = 1;
    for (const char* p = text; *p != '\0'; ++p) {
        char ch = *p;
        int axis = -1;
        if (ch == 'X') axis = AXIS_X;
        else if (ch == 'Y') axis = AXIS_Y;
        else if (ch == 'Z') axis = AXIS_Z;
        else if (ch == g_Rotary1Letter && IsAxisLetter(ch)) axis = AXIS_ROTARY1;
        else if (ch == g_Rotary2Letter && IsAxisLetter(ch)) axis = AXIS_ROTARY2;
        else if (ch == '-') {
            if (step + 1 >= MAX_TOOL_CHANGE_ROUTE_STEPS) {
                result = 0;  // the route holds no more steps: the rest is dropped
                break;
            }
            ++step;
            continue;
        } else {
            break;
        }
        g_ToolChangeRoute[step].moves[axis] = 1;
    }
    g_ToolChangeRouteStepCount = step + 1;
    return result;
}

