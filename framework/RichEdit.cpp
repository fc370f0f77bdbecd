#include "framework/RichEdit.h"
#include <richedit.h>
#include <algorithm>
#include <cstring>
#include <vector>
#include "framework/Paths.h"

TModuleHandle LoadLibraryAt(const std::wstring& path) {
  // With a full path, the library's own imports are looked for beside it, in the system
  // folder, and not beside the program either.
  TModuleHandle m(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  if (!m) throw Exception("Cannot load " + AnsiOf(path));
  return m;
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
  const char* Data;
  size_t Size;
  size_t Pos;
};

// Called by the control for each piece of the text; hands it at most cb bytes. It runs inside
// the control, so nothing may be thrown from here.
DWORD CALLBACK StreamIn(DWORD_PTR cookie, LPBYTE buf, LONG cb, LONG* pcb) {
  auto* c = reinterpret_cast<TCursor*>(cookie);
  size_t n = cb > 0 ? std::min((size_t)cb, c->Size - c->Pos) : 0;
  memcpy(buf, c->Data + c->Pos, n);
  c->Pos += n;
  *pcb = (LONG)n;
  return 0;
}

// Streams size bytes into the control in this format; false when the control reports an error.
bool Stream(HWND h, const void* data, size_t size, WPARAM format, LRESULT& read) {
  TCursor cursor{static_cast<const char*>(data), size, 0};
  EDITSTREAM es{};
  es.dwCookie = (DWORD_PTR)&cursor;
  es.pfnCallback = StreamIn;
  read = SendMessageA(h, EM_STREAMIN, format, (LPARAM)&es);
  return es.dwError == 0;
}

bool StartsWith(const std::string& s, const char* prefix) { return s.compare(0, strlen(prefix), prefix) == 0; }

template <class Str, class Next>
Str Broken(const Str& s, size_t limit, Next next) {
  using Ch = typename Str::value_type;
  if (!limit) return s;
  Str out;
  out.reserve(s.size() + 2 * (s.size() / limit) + 2);
  // p: where the text not yet copied starts; count: characters in the current piece of the
  // line; blankEnd: just past the last blank in the piece's last quarter (0: none yet), with
  // the piece's count there.
  size_t p = 0, count = 0, blankEnd = 0, countAtBlank = 0;
  for (size_t i = 0; i < s.size();) {
    Ch c = s[i];
    if (c == Ch('\r') || c == Ch('\n')) {
      count = blankEnd = 0;
      ++i;
      continue;
    }
    if (count == limit) {
      size_t cut = blankEnd ? blankEnd : i;
      out.append(s, p, cut - p);
      out += Ch('\r');
      out += Ch('\n');
      p = cut;
      count = blankEnd ? count - countAtBlank : 0;
      blankEnd = 0;
    }
    i = next(s, i);
    ++count;
    if ((c == Ch(' ') || c == Ch('\t')) && 4 * count >= 3 * limit) blankEnd = i, countAtBlank = count;
  }
  out.append(s, p, Str::npos);
  return out;
}
}  // namespace

std::string BreakLongLines(const std::string& s, size_t limit, bool utf8) {
  return Broken(s, limit, [utf8](const std::string& t, size_t i) {
    if (utf8) {
      ++i;
      while (i < t.size() && ((unsigned char)t[i] & 0xC0) == 0x80) ++i;
      return i;
    }
    return i + (IsDBCSLeadByte((BYTE)t[i]) && i + 1 < t.size() ? 2 : 1);
  });
}

std::wstring BreakLongLines(const std::wstring& s, size_t limit) {
  return Broken(s, limit, [](const std::wstring& t, size_t i) {
    bool pair = t[i] >= 0xD800 && t[i] < 0xDC00 && i + 1 < t.size() && t[i + 1] >= 0xDC00 && t[i + 1] < 0xE000;
    return i + (pair ? 2 : 1);
  });
}

TRichEdit::TRichEdit(TComponent* AOwner, TWinControl* AParent)
    : TWinControl(AOwner, AParent), FLibrary(LoadLibraryAt(SystemRichEditPath())) {
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

void TRichEdit::LoadFromText(const std::string& bytes, bool complete) {
  // The default limit is 32,767 characters: lifted first, so a long text loads whole.
  SendMessageA(FHandle, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
  LRESULT read = 0;
  // The control takes anything that begins with "{" for rich text and loses what follows its
  // first group: only a real RTF header goes the rich-text way. A document read to its end
  // without an error is taken even when it holds no text; the start of a longer one reports
  // the end it reached too soon, and is taken when it gave text.
  if (StartsWith(bytes, "{\\rtf") && (Stream(FHandle, bytes.data(), bytes.size(), SF_RTF, read) || (!complete && read > 0)))
    return;
  // Plain text, taken again from the start.
  bool ok;
  bool le = StartsWith(bytes, "\xFF\xFE"), be = StartsWith(bytes, "\xFE\xFF");
  if (le || be) {
    std::wstring text((bytes.size() - 2) / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i) {
      unsigned char a = bytes[2 + 2 * i], b = bytes[3 + 2 * i];
      text[i] = (wchar_t)(le ? a | b << 8 : a << 8 | b);
    }
    text = BreakLongLines(text, FLineLimit);
    ok = Stream(FHandle, text.data(), text.size() * sizeof(wchar_t), SF_TEXT | SF_UNICODE, read);
    if (!ok || (read == 0 && !text.empty())) {
      // A control that does not take UTF-16 gets the text in the ANSI code page.
      std::string ansi = AnsiOf(text);
      ok = Stream(FHandle, ansi.data(), ansi.size(), SF_TEXT, read);
    }
  } else if (FLineLimit) {
    std::string text = BreakLongLines(bytes, FLineLimit, StartsWith(bytes, "\xEF\xBB\xBF"));
    ok = Stream(FHandle, text.data(), text.size(), SF_TEXT, read);
  } else {
    ok = Stream(FHandle, bytes.data(), bytes.size(), SF_TEXT, read);
  }
  if (ok) return;
  SetText("");
  throw Exception("Failed to Load Stream");
}

void TRichEdit::Append(const std::string& text) {
  // A position past the end stands for the end.
  LRESULT end = SendMessageA(FHandle, WM_GETTEXTLENGTH, 0, 0);
  SendMessageA(FHandle, EM_SETSEL, end, end);
  bool readOnly = GetWindowLongA(FHandle, GWL_STYLE) & ES_READONLY;
  if (readOnly) SendMessageA(FHandle, EM_SETREADONLY, FALSE, 0);
  SendMessageA(FHandle, EM_REPLACESEL, FALSE, (LPARAM)text.c_str());
  if (readOnly) SendMessageA(FHandle, EM_SETREADONLY, TRUE, 0);
  // Back to the start, as after a load.
  SendMessageA(FHandle, EM_SETSEL, 0, 0);
  SendMessageA(FHandle, WM_VSCROLL, SB_TOP, 0);
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
