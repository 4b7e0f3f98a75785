// Small text helpers of the controller definition reader: case-insensitive keyword tests at a cursor
// and cursor moves that never pass the end of the line.
#include "machine_setup/controller/controller_line.h"

#include "machine_setup/settings/token_readers.h"

#include <cstring>

int MatchesWordAt(const char* line, int cursor, const char* word)
{
    int length = (int)std::strlen(line);
    if (cursor < 0 || cursor > length) return 0;
    return StartsWithWordNoCase(line + cursor, word);
}

int AdvanceCursor(const char* line, int cursor, int count)
{
    int length = (int)std::strlen(line);
    long long moved = (long long)cursor + count;
    if (moved < 0) return 0;
    if (moved > length) return length;
    return (int)moved;
}

int FindCharFrom(const char* line, int cursor, const char* chars)
{
    int length = (int)std::strlen(line);
    if (cursor < 0) return -1;
    for (int k = cursor; k < length; ++k) {
        if (std::strchr(chars, line[k]) != nullptr) return k;
    }
    return -1;
}
