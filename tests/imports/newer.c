/* A program that asks for more than Windows XP has, for the check of the import check: a
   function Vista added, a DLL without a list, a header asking for Windows 6.0. */
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include <windows.h>
#include <commctrl.h>

int main(void) {
  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
  return (int)(GetTickCount64() & 1) + InitCommonControlsEx(&icc);
}
