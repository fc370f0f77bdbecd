// The language files beside the program: finding them, ordering them, and the menu caption
// each one gets.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// name with every ".lng" removed wherever it stands, letter case counting: "Italiano.lng" gives
// "Italiano", "a.lng.lng" gives "a", "English.LNG" stays as it is.
std::string StripLngExt(const std::string& name);

// Less-than of two names without regard to letter case, in the user locale's collation: the
// order in which a sorted list box shows strings.
bool LessIgnoringCase(const std::string& a, const std::string& b);

// A name that can only mean a file in the folder it is put in: not empty, at most MAX_PATH
// characters, no path separator, drive, wildcard or other character Windows refuses in a file
// name, not "." or "..", and no device name (CON, NUL, COM1, ... with any extension).
// The name is walked by character in code page cp: the second byte of a double-byte
// character ("\\" in 表, "|" in ポ) is no separator.
bool IsBareFileName(const std::string& name, UINT cp = CP_ACP);

// The names of the plain files in folder that match "*.lng", sorted by LessIgnoringCase.
// Folders and files marked hidden or system are skipped, and so is a name whose own extension
// is not ".lng" (in any case) that only matched through its short 8.3 alias, and a name the
// ANSI code page cannot hold exactly. A missing or unreadable folder gives an empty list.
std::vector<std::string> ListLanguageFiles(const std::wstring& folder);
