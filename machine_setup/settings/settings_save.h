// Writing the settings back at exit: the window placement, the panel switches, the colour groups the
// "Save" flags keep, their transparencies and the three default work shapes. Every other line of the
// settings file stays as it was.
#pragma once
#include "platform/ui/ui_types.h"

// Writes the settings into g_IniFilePath (each key through the profile writer, which rewrites the file
// through a temporary name). Called once when the frame window is destroyed, unless g_SilentMode is 1
// (then it writes nothing). frame: the frame window, for its placement (null: placement not written).
void SaveSettingsToIni(WindowHandle frame);

// A number of a work shape: "%d" when it is a whole number in the 32-bit range, else "%f" with its
// trailing zeros removed (2.0000001 gives "2."). Non-finite numbers give "0".
void FormatWorkShapeNumber(double value, char* out, int outSize);
// The "DMEdata" values, each the exact inverse of its parser: "(x0,y0,z0,x1,y1,z1)",
// "(LEFT,w,m1,m2,FRONT,w,m1,m2,BOTTOM,h,m1,m2)" and "X(x,y,z,length,outer,inner)".
void FormatInitialSizeValue(char* text, int textSize);
void FormatInitialSize2Value(char* text, int textSize);
void FormatCylinderValue(char* text, int textSize);
