// Reading helpers and the simple sections of the settings file ("OUTPUTdata", "ExecEditor",
// "ExecSelf", "Video", "Mouse", "Save"), used by the settings file reader in its fixed order.
#pragma once

const int SETTINGS_VALUE_SIZE = 1024;   // longest value read from the settings file, zero included
const int SETTINGS_NAME_SIZE = 258;     // data-file names read from the settings file

// The value of key in section of g_IniFilePath (defaultText when the file or key is missing), cut to
// outSize - 1 characters.
void ReadIniValue(const char* section, const char* key, const char* defaultText, char* out, int outSize);

void ReadOutputDataSection();
// "EXEC_PROGRAM" and "EXEC_OPTION" pass through the editor plug-in's entry points when it has them.
void ReadExecEditorSection();
void ReadExecSelfSection();
void ReadVideoSection();
void ReadMouseSection();
// Integers; the window rectangle is not read when the command line gave one.
void ReadSaveSection();

// Puts every variable of these sections back to its program start value.
void ResetSettingsSections();
