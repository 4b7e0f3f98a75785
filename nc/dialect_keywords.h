// Dialect keyword blocks (SIEMENS, HEIDENHAIN, OSP): the keyword words the block interpreter tries
// before its plain letters, and the SIEMENS orientation values they fill.
#pragma once

// Result of a keyword handler: no keyword at the position, the keyword was read (the pass goes on
// behind it), or the keyword was read and the rest of the line is not read.
enum DialectWordResult { DIALECT_WORD_NONE = 0, DIALECT_WORD_READ = 1, DIALECT_WORD_ENDS_SCAN = 2 };

// SIEMENS orientation of the tool (ORIEULER / ORIRPY angles, A3= B3= C3= vector).
extern double g_OrientationAngles[3];
extern double g_OrientationVector[3];

// Each takes the position (on the first character of the keyword; moved past what was read) and the
// line, and returns a DialectWordResult.
// SIEMENS "TRAORI", "TRAFOOF", "T=" and HEIDENHAIN "TOOL CALL" (chain entry T).
int ReadDialectToolWord(int* position, const char* line);
// HEIDENHAIN L, "CALL PGM", "CYCL DEF", "CYCL CALL", C; "BLK", "BEGIN PGM", "END PGM".
int ReadHeidenhainKeyword(int* position, const char* line);
// HEIDENHAIN RL, RR, R0; DR; F MAX; "PLANE ".
int ReadHeidenhainLetterWord(int* position, const char* line);
// SIEMENS A2= ... C5=, "CYCLE800", "ORIEULER", "ORIRPY", SUPA.
int ReadSiemensKeyword(int* position, const char* line);
// OSP "PAB=", "PAC=", "PAT=" of a G353 / G354 block (position on the A after the P).
int ReadOspHeadAngleWord(int* position, const char* line);
// OSP "CALL".
int ReadOspCallWord(int* position, const char* line);
