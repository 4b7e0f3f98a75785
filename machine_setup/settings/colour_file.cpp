// Colour files (".CTC"): each line that starts with a colour key sets that colour of the backup set;
// every other line is ignored. Bringing the backup into use is the caller's step.
#include "machine_setup/settings/colour_file.h"

#include "machine_setup/settings/colour_settings.h"
#include "work_model/file_routines.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

namespace {

const int COLOUR_LINE_SIZE = 256;   // at most 255 characters a line

struct ColourFileKey {
    const char* key;
    ColourValue* colour;   // entry of g_ColourSettingsBackup
    int* flag1;            // null: no use flags
    int* flag2;
};

// The keys in the order they are tested; the first that starts the line decides.
int BuildColourFileKeys(ColourFileKey* keys)
{
    ColourSettings& b = g_ColourSettingsBackup;
    int count = 0;
    keys[count++] = {"WORK COLOR", &b.penColours[0], &b.penColourFlags[0], &b.penColourFlags2[0]};
    keys[count++] = {"PENKI COLOR", &b.paintColour, nullptr, nullptr};
    keys[count++] = {"TOOL-TOP COLOR", &b.toolTopColour, nullptr, nullptr};
    keys[count++] = {"TOOL-SIDE COLOR", &b.toolSideColour, nullptr, nullptr};
    keys[count++] = {"ARBOR COLOR", &b.arborColour, nullptr, nullptr};
    keys[count++] = {"HEAD COLOR", &b.headColours[HEAD_COLOUR_HEAD], nullptr, nullptr};
    keys[count++] = {"HEAD1 COLOR", &b.headColours[HEAD_COLOUR_HEAD1], nullptr, nullptr};
    keys[count++] = {"HEAD2 COLOR", &b.headColours[HEAD_COLOUR_HEAD2], nullptr, nullptr};
    keys[count++] = {"TABLE COLOR", &b.tableColours[TABLE_COLOUR_TABLE], nullptr, nullptr};
    keys[count++] = {"TABLE1 COLOR", &b.tableColours[TABLE_COLOUR_TABLE1], nullptr, nullptr};
    keys[count++] = {"TABLE2 COLOR", &b.tableColours[TABLE_COLOUR_TABLE2], nullptr, nullptr};
    keys[count++] = {"VICE COLOR", &b.viceColour, nullptr, nullptr};
    keys[count++] = {"BASIC COLOR", &b.basicColour, nullptr, nullptr};
    keys[count++] = {"TOP-PATH COLOR", &b.topPathColour, nullptr, nullptr};
    keys[count++] = {"CUT-PATH COLOR", &b.topPath2Colour, nullptr, nullptr};
    keys[count++] = {"CONSTRUCTION COLOR", &b.constructionColour, nullptr, nullptr};
    keys[count++] = {"BACKGROUND COLOR", &b.backgroundColourSetting, nullptr, nullptr};
    static const char* const kPenKeys[PEN_COLOUR_COUNT] = {
        nullptr,       "PEN1 COLOR",  "PEN2 COLOR",  "PEN3 COLOR",  "PEN4 COLOR",  "PEN5 COLOR",
        "PEN6 COLOR",  "PEN7 COLOR",  "PEN8 COLOR",  "PEN9 COLOR",  "PEN10 COLOR", "PEN11 COLOR",
        "PEN12 COLOR", "PEN13 COLOR", "PEN14 COLOR", "PEN15 COLOR"};
    for (int pen = PEN_COLOUR_COUNT - 1; pen >= 1; --pen) {
        keys[count++] = {kPenKeys[pen], &b.penColours[pen], &b.penColourFlags[pen], &b.penColourFlags2[pen]};
    }
    return count;
}

// Reads one line into line (at most COLOUR_LINE_SIZE - 1 characters; the rest of a longer line is
// skipped, so it cannot pass for a line of its own) without its line end and trailing blanks.
// Returns 0 at the end of the file.
int ReadColourLine(FILE* file, char* line)
{
    if (std::fgets(line, COLOUR_LINE_SIZE, file) == nullptr) {
        return 0;
    }
    size_t length = std::strlen(line);
    if (length > 0 && line[length - 1] != '\n' && !std::feof(file)) {
        int c;
        while ((c = std::fgetc(file)) != EOF && c != '\n') {
        }
    }
    while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r' || line[length - 1] == ' ' ||
                          line[length - 1] == '\t')) {
        line[--length] = '\0';
    }
    return 1;
}

void ApplyColourLine(const char* line, const ColourFileKey* keys, int keyCount)
{
    for (int i = 0; i < keyCount; ++i) {
        size_t keyLength = std::strlen(keys[i].key);
        if (strncasecmp(line, keys[i].key, keyLength) != 0) {
            continue;
        }
        // The value starts one character after the key (normally a blank).
        const char* value = line[keyLength] != '\0' ? line + keyLength + 1 : line + keyLength;
        if (keys[i].flag1 != nullptr) {
            ParseColourWithFlags(value, keys[i].colour, keys[i].flag1, keys[i].flag2);
        } else {
            ParseColour(value, keys[i].colour);
        }
        return;
    }
}

} // namespace

int ReadColourFile(const char* path)
{
    FILE* file = path != nullptr ? OpenFile(path, "r") : nullptr;
    if (file == nullptr) {
        return 0;
    }
    SaveColourSettings();
    ColourFileKey keys[40];
    const int keyCount = BuildColourFileKeys(keys);
    char line[COLOUR_LINE_SIZE];
    while (ReadColourLine(file, line)) {
        ApplyColourLine(line, keys, keyCount);
    }
    std::fclose(file);
    return 1;
}
