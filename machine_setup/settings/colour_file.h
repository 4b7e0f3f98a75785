// Colour files (".CTC"): lines of a colour key and a value that replace the colours they name. The
// reader fills the backup set only; the caller brings it into use (RestoreColourSettings at start-up,
// ApplyColourSettings for a dropped file).
#pragma once

// Copies the set in use into g_ColourSettingsBackup (SaveColourSettings) and applies every line of the
// file whose start names a colour key (any case; the value starts one character after the key) to that
// backup. Result 1 when the file was read, 0 when it cannot be opened (then nothing changes).
int ReadColourFile(const char* path);
