#include "framework/OSError.h"
#include "framework/Classes.h"

std::string SysErrorMessage(DWORD code) {
  char buf[512] = {};
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf,
                           sizeof(buf), nullptr);
  std::string s(buf, n < sizeof(buf) ? n : 0);
  while (!s.empty() && ((unsigned char)s.back() <= ' ' || s.back() == '.')) s.pop_back();
  return s;
}

std::string OSErrorMessage(DWORD code) {
  if (code == 0) return "A call to an OS function failed";
  return "System Error.  Code: " + std::to_string(code) + ".\r\n" + SysErrorMessage(code);
}

void RaiseLastOSError() { throw Exception(OSErrorMessage(GetLastError())); }

void RaiseLastOSError(const std::string& what) {
  DWORD code = GetLastError();  // before building the text can change it
  throw Exception(what + ": " + OSErrorMessage(code));
}
