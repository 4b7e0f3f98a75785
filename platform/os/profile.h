// Profile (INI) files: "[Section]" lines and "key=value" lines. Sections and keys compare without regard to
// case; values are trimmed of blanks and tabs (and one pair of matching outer quotes is removed on reading);
// ";" and "#" lines are comments. A missing file, section or key gives the caller's default. A write replaces
// the key's value in place and keeps every other line of the file byte for byte; the file is rewritten through
// a temporary name and a rename.
#pragma once

// Copies the value of key in section (or defaultText when there is none, or section or key is null) into out,
// cut to outSize - 1 characters (never inside a UTF-8 character); returns the number of characters copied.
// defaultText may be null (treated as "").
int ReadProfileString(const char* section, const char* key, const char* defaultText, char* out, int outSize,
                      const char* path);
// The value read as a decimal integer (leading sign allowed; text that is no number gives 0); defaultValue
// when the file, the section or the key is missing or the value is empty.
int ReadProfileInt(const char* section, const char* key, int defaultValue, const char* path);
// Sets key in section to value: replaces an existing key's value in place, else adds the key at the end of the
// section, else adds the section at the end of the file (creating the file). A null value deletes the key's
// line. Returns 1 on success; 0, with the file unchanged, when it could not be read or written or a text holds
// a line break (or the section a "]", the key a "=" or a leading "[", ";" or "#").
int WriteProfileString(const char* section, const char* key, const char* value, const char* path);
