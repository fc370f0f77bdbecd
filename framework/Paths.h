// Paths that reach their files from any folder Windows allows. Captions and settings are ANSI
// text, but a folder's name may hold letters the ANSI code page has not: paths are kept wide
// and handed to the wide API; ANSI text is converted exactly, or the caller is told it cannot be.
#pragma once
#include <string>

// ANSI text (the system's ANSI code page) as UTF-16; every ANSI string has an exact form.
std::wstring Widen(const std::string& ansi);
// The ANSI form of s, when the ANSI code page holds every character of it exactly (no
// best-fit look-alikes, no "?"); false otherwise, and out is left empty.
bool ToAnsi(const std::wstring& s, std::string& out);

// The running executable's full path as the system reports it, however long.
std::wstring ModulePathW();
// The program's folder: that path without its last component and the backslash before it
// (empty when it has none). A file in it is ExeFolderW() + L"\\" + name.
std::wstring ExeFolderW();
// Wide text in the ANSI code page for messages: characters it lacks become "?".
std::string AnsiOf(const std::wstring& w);

