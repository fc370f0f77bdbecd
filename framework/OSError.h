// The failure of a system call, as the error box shows it.
#pragma once
#include <windows.h>
#include <string>

// The system's text for an error code, without trailing blanks, line breaks and full stops.
std::string SysErrorMessage(DWORD code);
// "System Error.  Code: <code>." + line break + the system's text; for code 0 (the system gave
// none) "A call to an OS function failed".
std::string OSErrorMessage(DWORD code);
// Raises the failure of the last system call (GetLastError) as an Exception; with what, the
// message begins with what was being done: "<what>: System Error.  Code: …".
[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseLastOSError(const std::string& what);
