// The log-on entry's command line.
#pragma once
#include <string>

// The log-on Run entry's data for the executable at exePath: the path itself, in double quotes
// when it holds a blank, so that the system cannot take "C:\Program.exe" for "C:\Program Files\...".
std::wstring RunEntryFor(const std::wstring& exePath);
