// The alarm catalogue: every alarm a run or an NC data check can end with, its English and Japanese
// text, and its output as a topmost message box (caption the alarm text, body the NC path) or, in
// batch runs, as a line of the macro log.
#pragma once
#include "platform/ui/ui_types.h"

// AlarmCode: 1 to 10 tool and cutting conditions, 11 to 45 part-against-target interference, 91
// over-stroke, 100 + NcAlarmCode for the NC data alarms.
enum AlarmCodeValue {
    ALARM_TOOL_DAMAGED = 1,
    ALARM_ARBOR = 2,
    ALARM_LENGTH = 3,
    ALARM_CHIP = 4,
    ALARM_TAPER = 5,
    ALARM_RAPID_FEED = 6,
    ALARM_HEAVY_CUTTING = 7,
    ALARM_ATTACHMENT = 8,
    ALARM_SPINDLE_STOP = 9,
    ALARM_SPINDLE_SPEED = 10,
    ALARM_OVER_STROKE = 91,
    ALARM_NC_BASE = 100
};

constexpr int ALARM_TEXT_SIZE = 512;

// The English and Japanese texts of code as a message box shows them (place holders filled, the run's
// additions applied), each into ALARM_TEXT_SIZE bytes. Returns 1, or 0 (texts empty) for a code
// without text.
int FormatAlarmTexts(int code, char* english, char* japanese);

// Shows alarm code: a topmost message box owned by owner with the text of the interface language as
// caption and body as text, or (toMacroLog non-zero) "(line) - text" appended to the macro log.
void ShowAlarm(WindowHandle owner, int toMacroLog, const char* body, int code);
// Shows or logs one alarm text pair.
void OutputAlarmText(WindowHandle owner, int toMacroLog, const char* body, const char* englishText,
                     const char* japaneseText);
// The mounted-set form of alarms 8 and 11 to 14: names the tool of the set that was hit.
void ShowToolChangeInterference(WindowHandle owner, int toMacroLog, int code);
