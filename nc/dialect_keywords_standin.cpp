// Stand-ins for the dialect keyword blocks until they are built: no keyword is recognised, so the
// block interpreter reads the letters as plain words.
#include "nc/dialect_keywords.h"

double g_OrientationAngles[3] = {};
double g_OrientationVector[3] = {};

int ReadDialectToolWord(int*, const char*) { return DIALECT_WORD_NONE; }
int ReadHeidenhainKeyword(int*, const char*) { return DIALECT_WORD_NONE; }
int ReadHeidenhainLetterWord(int*, const char*) { return DIALECT_WORD_NONE; }
int ReadSiemensKeyword(int*, const char*) { return DIALECT_WORD_NONE; }
int ReadOspCallWord(int*, const char*) { return DIALECT_WORD_NONE; }
int ReadOspHeadAngleWord(int*, const char*) { return DIALECT_WORD_NONE; }
