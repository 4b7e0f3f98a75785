// The macro language's argument routines: the file argument at a column of a macro line and the path
// macros $(ncdir) and $(workdir). The macro thread itself is RunMacroFile (automation.h).
#pragma once

const int MACRO_LINE_SIZE = 512;       // a macro line: at most 511 characters
const int MACRO_ARGUMENT_SIZE = 256;   // a file argument, quoted or not (at most 255 characters)

// The argument that text (the line from the argument's column on) holds: it must start with a blank or
// tab; blanks and tabs are skipped; a double quote starts a quoted argument up to the next double quote,
// otherwise it runs to the line's end. Copied into out (size bytes) with the path macros expanded.
// Returns the position after the argument, or null when there is none (no leading blank, an unclosed
// quote, an empty argument); out is then unchanged.
const char* ParseMacroFileArgument(const char* text, char* out, int size);
// Copies source into out (size bytes, always ended): "$(ncdir)" becomes g_NcFolder and "$(workdir)"
// g_DmeFolder (names compared without regard to case), any other name of at most 15 characters becomes
// nothing; a macro without its closing parenthesis ends the text there.
void ExpandPathMacros(const char* source, char* out, int size);
