#include "framework/RichEdit.h"
#include <richedit.h>
#include <algorithm>
#include <cstring>
#include <vector>
#include "framework/Paths.h"

TLibrary::TLibrary(const std::wstring& path) {
  // With a full path, the library's own imports are looked for beside it, in the system
  // folder, and not beside the program either.
  FModule = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!FModule) throw Exception("Cannot load " + AnsiOf(path));
}

TLibrary::~TLibrary() {
  if (FModule) FreeLibrary(FModule);
}

std::wstring SystemRichEditPath() {
  std::vector<wchar_t> dir(MAX_PATH);
  UINT n = GetSystemDirectoryW(dir.data(), (UINT)dir.size());
  if (n >= dir.size()) {
    dir.resize(n + 1);
    n = GetSystemDirectoryW(dir.data(), (UINT)dir.size());
  }
  std::wstring path(dir.data(), n < dir.size() ? n : 0);
  if (!path.empty() && path.back() != L'\\') path += L'\\';
  return path + L"riched32.dll";
}

namespace {
struct TCursor {
  const std::string* Bytes;
  size_t Pos;
};

// Called by the control for each piece of the text; hands it at most cb bytes. It runs inside
// the control, so nothing may be thrown from here.
DWORD CALLBACK StreamIn(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* pcb) {
  auto* c = reinterpret_cast<TCursor*>(cookie);
  size_t n = cb > 0 ? std::min((size_t)cb, c->Bytes->size() - c->Pos) : 0;
  memcpy(buf, c->Bytes->data() + c->Pos, n);
  c->Pos += n;
  *pcb = (LONG)n;
  return 0;
}
}  // namespace

TRichEdit::TRichEdit(TComponent* AOwner, TWinControl* AParent)
    : TWinControl(AOwner, AParent), FLibrary(std::make_unique<TLibrary>(SystemRichEditPath())) {
  CreateWnd("RICHEDIT", ES_MULTILINE | ES_READONLY | ES_DISABLENOSCROLL | WS_VSCROLL, WS_EX_CLIENTEDGE, true);
  SendMessageA(FHandle, EM_SETTARGETDEVICE, 0, 0);  // wrap at the right edge
}

TRichEdit::~TRichEdit() {
  // The window goes before its library does: its window procedure lives there.
  if (FHandle) DestroyWindow(FHandle);
}

void TRichEdit::SetDefaultFont(const gdi::FontSpec& f, BYTE charSet) {
  SetFont(f);
  CHARFORMATA cf{};
  cf.cbSize = sizeof(cf);
  cf.dwMask = CFM_FACE | CFM_SIZE | CFM_CHARSET | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_COLOR;
  cf.dwEffects = f.Bold ? CFE_AUTOCOLOR | CFE_BOLD : CFE_AUTOCOLOR;
  cf.yHeight = f.Size * 20;  // twips
  cf.bCharSet = charSet;
  cf.bPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
  lstrcpynA(cf.szFaceName, f.Name.c_str(), LF_FACESIZE);
  SendMessageA(FHandle, EM_SETCHARFORMAT, 0, (LPARAM)&cf);  // the default format
}

void TRichEdit::LoadFromText(const std::string& bytes) {
  // The default limit is 32,767 characters: lifted first, so a long text loads whole.
  SendMessageA(FHandle, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
  // The control takes anything that begins with "{" for rich text and loses what follows its
  // first group: only a real RTF header goes the rich-text way.
  TCursor cursor{&bytes, 0};
  EDITSTREAM es{};
  es.dwCookie = (DWORD_PTR)&cursor;
  es.pfnCallback = StreamIn;
  if (bytes.compare(0, 5, "{\\rtf") == 0) {
    LRESULT n = SendMessageA(FHandle, EM_STREAMIN, SF_RTF, (LPARAM)&es);
    if (es.dwError == 0 && n > 0) return;
  }
  // Plain text, taken again from the start.
  cursor.Pos = 0;
  es.dwError = 0;
  SendMessageA(FHandle, EM_STREAMIN, SF_TEXT, (LPARAM)&es);
  if (es.dwError == 0) return;
  SetText("");
  throw Exception("Failed to Load Stream");
}

std::string TRichEdit::Text() const {
  int n = (int)SendMessageA(FHandle, WM_GETTEXTLENGTH, 0, 0);
  if (n <= 0) return {};
  std::string s(n + 1, '\0');
  n = (int)SendMessageA(FHandle, WM_GETTEXT, n + 1, (LPARAM)s.data());
  s.resize(n > 0 ? n : 0);
  return s;
}

void TRichEdit::SetText(const std::string& v) { SendMessageA(FHandle, WM_SETTEXT, 0, (LPARAM)v.c_str()); }
