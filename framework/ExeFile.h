// The running executable's own path, read with the wide API so that a folder whose name the
// ANSI code page cannot spell is still reached; and the conversions to and from ANSI text.
#pragma once
#include <string>

// The executable's full path, however long.
std::wstring ExeFileNameW();
// Its folder, with the trailing backslash.
std::wstring ExeFolderW();
// Wide text in the ANSI code page (characters it lacks become "?"), and back.
std::string AnsiOf(const std::wstring& w);
std::wstring WideOf(const std::string& a);
