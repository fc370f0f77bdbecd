#include <gtest/gtest.h>
#include <windows.h>
#include <richedit.h>
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>
#include <string>
#include "framework/Application.h"
#include "framework/Paths.h"
#include "tests/TempFolder.h"
#include "tests/TestSupport.h"
#include "windows/UFrmReadme.h"

namespace {

// A viewer over a folder of the test's own, with Readme.txt as the test leaves it there.
struct Viewer {
  TTempFolder dir;
  std::unique_ptr<TFrmReadMe> f;
  std::string Path() const { return dir / "Readme.txt"; }
  void Make() {
    ShownErrors().clear();
    f = std::make_unique<TFrmReadMe>(nullptr, Widen(dir.Path()));
  }
  std::string Text() const { return f->Viewer()->Text(); }
};

std::string Repeat(const std::string& line, size_t bytes) {
  std::string s;
  s.reserve(bytes + line.size());
  while (s.size() < bytes) s += line;
  return s;
}

CHARFORMATA FormatAt(HWND rr, int from, int to) {
  CHARRANGE cr{from, to};
  SendMessageA(rr, EM_EXSETSEL, 0, (LPARAM)&cr);
  CHARFORMATA cf{};
  cf.cbSize = sizeof(cf);
  SendMessageA(rr, EM_GETCHARFORMAT, TRUE, (LPARAM)&cf);
  return cf;
}

// First in this program, before anything has loaded the rich edit library: a riched32.dll
// planted beside the program (here, a program file of no use as one) is never the one loaded.
TEST(ReadmeViewer, TheRichEditLibraryComesFromTheSystemFolderOnly) {
  ASSERT_EQ(GetModuleHandleA("riched32.dll"), nullptr) << "loaded already: this test proves nothing";
  struct Planted {
    std::wstring path = ExeFolderW() + L"\\riched32.dll";
    ~Planted() { DeleteFileW(path.c_str()); }
  } planted;
  ASSERT_TRUE(CopyFileW((ExeFolderW() + L"\\verinfo_none.exe").c_str(), planted.path.c_str(), FALSE));
  {
    Viewer v;
    v.dir.Write("Readme.txt", "text\r\n");
    v.Make();
    EXPECT_TRUE(ShownErrors().empty());
    EXPECT_EQ(v.Text(), "text\r\n");
    HMODULE lib = GetModuleHandleA("riched32.dll");
    ASSERT_NE(lib, nullptr);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(lib, path, MAX_PATH);
    EXPECT_EQ(_wcsicmp(path, SystemRichEditPath().c_str()), 0) << AnsiOf(path);
  }
}

TEST(ReadmeViewer, WhatEachKindOfFileShows) {
  struct TCase {
    const char* what;
    std::string bytes;
    std::string shown;
  };
  const std::string big = Repeat("Velmor frees memory in blocks of one megabyte.\r\n", 100 << 10);
  // UTF-16 after its byte-order mark, in either byte order: "Velmor Ünïcödé" and a line end.
  const std::wstring wide = L"Velmor \u00DCn\u00EFc\u00F6d\u00E9\r\n";
  std::string utf16le = "\xFF\xFE", utf16be = "\xFE\xFF";
  for (wchar_t c : wide) utf16le += {(char)(c & 0xFF), (char)(c >> 8)}, utf16be += {(char)(c >> 8), (char)(c & 0xFF)};
  const TCase cases[] = {
      {"plain text", "Velmor\r\nfrees memory.\r\n", "Velmor\r\nfrees memory.\r\n"},
      {"plain text with Windows-1252 letters", "Fran\xE7" "ais, Espa\xF1ol\r\n", "Fran\xE7" "ais, Espa\xF1ol\r\n"},
      {"plain text opening with a brace is not rich text", "{not rtf} and more", "{not rtf} and more"},
      {"rich text keeps its words, not its codes", "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}\\f0 Hello "
       "{\\b world}\\par}", "Hello world"},
      {"a rich-text header cut short shows as plain text", "{\\rtf1", "{\\rtf1"},
      {"rich text without text is an empty document", "{\\rtf1\\ansi }", ""},
      {"UTF-16LE after its byte-order mark", utf16le, "Velmor \xDCn\xEF" "c\xF6" "d\xE9\r\n"},
      {"UTF-16BE after its byte-order mark", utf16be, "Velmor \xDCn\xEF" "c\xF6" "d\xE9\r\n"},
      {"a lone byte-order-mark byte is plain text", "\xFF", "\xFF"},
      {"an empty file", "", ""},
      {"100 KB: past the default limit of 32,767 characters", big, big},
  };
  for (const auto& c : cases) {
    Viewer v;
    v.dir.Write("Readme.txt", c.bytes);
    v.Make();
    std::string text = v.Text();
    // Rich text ends in a paragraph mark of its own; what matters is what comes before it.
    if (c.bytes.rfind("{\\rtf1\\", 0) == 0)
      while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
    EXPECT_EQ(text.size(), c.shown.size()) << c.what;
    EXPECT_TRUE(text == c.shown) << c.what;
    EXPECT_TRUE(ShownErrors().empty()) << c.what << ": " << (ShownErrors().empty() ? "" : ShownErrors()[0]);
  }
}

TEST(ReadmeViewer, PlainTextInArialTenPointAndRichTextInItsOwnFont) {
  Viewer v;
  v.dir.Write("Readme.txt", "Velmor\r\n");
  v.Make();
  CHARFORMATA cf = FormatAt(v.f->Viewer()->Handle(), 0, 1);
  EXPECT_STREQ(cf.szFaceName, "Arial");
  EXPECT_EQ(cf.yHeight, 200) << "10 pt, 13 pixels";
  EXPECT_EQ(cf.bCharSet, ANSI_CHARSET);
  EXPECT_FALSE(cf.dwEffects & CFE_BOLD);

  Viewer r;
  r.dir.Write("Readme.txt", "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}\\f0\\fs32 Hello {\\b world}\\par}");
  r.Make();
  cf = FormatAt(r.f->Viewer()->Handle(), 0, 1);
  EXPECT_STREQ(cf.szFaceName, "Times New Roman");
  EXPECT_EQ(cf.yHeight, 320) << "\\fs32: 16 pt";
  EXPECT_FALSE(cf.dwEffects & CFE_BOLD);
  cf = FormatAt(r.f->Viewer()->Handle(), 6, 7);
  EXPECT_TRUE(cf.dwEffects & CFE_BOLD);
}

// Files that cannot be read: a box with the program's message, the viewer empty, never a hang.
TEST(ReadmeViewer, FilesThatDoNotLoad) {
  struct TCase {
    const char* what;
    std::function<void(Viewer&, HANDLE&)> prepare;
  };
  const TCase cases[] = {
      {"no Readme.txt", [](Viewer&, HANDLE&) {}},
      {"a folder named Readme.txt", [](Viewer& v, HANDLE&) { v.dir.MakeFolder("Readme.txt"); }},
      {"held by a writer that shares nothing",
       [](Viewer& v, HANDLE& h) {
         v.dir.Write("Readme.txt", "text");
         h = CreateFileA(v.Path().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
       }},
  };
  for (const auto& c : cases) {
    Viewer v;
    HANDLE held = INVALID_HANDLE_VALUE;
    c.prepare(v, held);
    v.Make();
    ASSERT_EQ(ShownErrors().size(), 1u) << c.what;
    std::string expected = "Cannot open file " + v.Path();
    EXPECT_EQ(ShownErrors()[0], expected) << c.what;
    EXPECT_EQ(ErrorBoxText(ShownErrors()[0]), expected + ".") << c.what << ": the box ends in a full stop";
    EXPECT_EQ(v.Text(), "") << c.what;
    EXPECT_TRUE(IsWindow(v.f->Handle())) << c.what << ": the viewer stays";
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
  }

  // A range locked by another reader: Windows refuses the reads, and the viewer reports the
  // stream and stays empty; Wine does not enforce such locks on reads, and the text shows.
  Viewer v;
  v.dir.Write("Readme.txt", "text behind a lock");
  HANDLE h = CreateFileA(v.Path().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  ASSERT_TRUE(LockFile(h, 0, 0, 1 << 20, 0));
  v.Make();
  if (ShownErrors().empty()) {
    EXPECT_EQ(v.Text(), "text behind a lock");
  } else {
    EXPECT_EQ(ShownErrors(), std::vector<std::string>{"Failed to Load Stream"});
    EXPECT_EQ(v.Text(), "");
  }
  UnlockFile(h, 0, 0, 1 << 20, 0);
  CloseHandle(h);
}

// Whatever the file, the viewer shows at most its first 128 KB (back to a line end, then a line
// saying so), in lines of at most 256 characters, and all of it can be scrolled to.
TEST(ReadmeViewer, FilesOfAnySizeShowAtMostTheBound) {
  const size_t bound = kReadmeShownBytes;
  std::string random(1 << 20, '\0');
  unsigned seed = 12345;
  for (char& c : random) seed = seed * 1103515245 + 12345, c = (char)(seed >> 16);
  std::string garbage;
  for (int i = 0; i < 64 * 1024; ++i) garbage += (char)((i * 7919) >> 3);
  garbage[0] = '{';  // a brace first, binary after: taken as plain text
  const std::string ordinary = Repeat("0123456789 abcdefghijklmnopqrstuvwxyz ABCDEFGHIJKLMNOPQRSTUVWXYZ\r\n", 10 << 20);
  std::string words(2 << 20, 'a');
  for (size_t i = 5; i < words.size(); i += 6) words[i] = ' ';
  const std::string exact = Repeat(std::string(62, 'v') + "\r\n", bound);  // 64-byte lines, bound bytes
  std::string solid;  // 4 MB of one letter, shown in 512 lines of 256
  for (int i = 0; i < 512; ++i) solid += (i ? "\r\n" : "") + std::string(256, 'x');
  std::string utf16 = "\xFF\xFE", wideShown;
  while (utf16.size() <= bound) utf16 += std::string("V\0e\0l\0m\0o\0r\0\r\0\n\0", 16);
  for (size_t n = 2; n + 16 <= bound; n += 16) wideShown += "Velmor\r\n";
  const std::string rtf = "{\\rtf1\\ansi " + Repeat("Velmor {\\b frees} memory.\\par\r\n", 2 * bound) + "}";
  struct TCase {
    const char* what;
    std::string bytes;
    bool cut;
    std::string shown;  // what shows before the note; empty: not compared
  };
  const TCase cases[] = {
      {"10 MB of ordinary text", ordinary, true, ordinary.substr(0, ordinary.rfind('\n', bound - 1) + 1)},
      {"2 MB in one line", words, true, ""},
      {"4 MB of one letter in one line", std::string(4 << 20, 'x'), true, solid},
      {"1 MB of random bytes", random, true, ""},
      {"64 KB of binary after a brace", garbage, false, ""},
      {"exactly the bound", exact, false, exact},
      {"one byte more: cut at the last line end", exact + "v", true, exact},
      {"UTF-16LE past the bound", utf16, true, wideShown},
      {"rich text past the bound", rtf, true, ""},
  };
  for (const auto& c : cases) {
    Viewer v;
    v.dir.Write("Readme.txt", c.bytes);
    v.Make();
    EXPECT_TRUE(ShownErrors().empty()) << c.what << ": " << (ShownErrors().empty() ? "" : ShownErrors()[0]);
    std::string text = v.Text();
    const std::string note = "\r\n" + ReadmeCutNote();
    bool noted = text.size() >= note.size() && text.compare(text.size() - note.size(), note.size(), note) == 0;
    EXPECT_EQ(noted, c.cut) << c.what;
    if (noted) text.resize(text.size() - note.size());
    if (!c.shown.empty()) {
      EXPECT_TRUE(text == c.shown) << c.what << ": " << text.size() << " bytes, not " << c.shown.size();
    }
    size_t shown = 0, longest = 0;
    for (size_t at = 0; at < text.size();) {
      size_t end = std::min(text.find_first_of("\r\n", at), text.size());
      shown += end - at, longest = std::max(longest, end - at);
      at = end + 1;
    }
    EXPECT_LE(shown, bound) << c.what;
    EXPECT_LE(longest, kReadmeLineLimit) << c.what;
    if (c.bytes.rfind("{\\rtf", 0) == 0) {
      EXPECT_EQ(text.rfind("Velmor frees memory.\r\n", 0), 0u) << c.what << ": rich text, not its codes";
      EXPECT_EQ(text.find('\\'), std::string::npos) << c.what;
    }
    // Paged down to the end, the last line is in view.
    HWND rr = v.f->Viewer()->Handle();
    for (LRESULT first = -1, was = -2; first != was;) {
      was = first;
      SendMessageA(rr, WM_VSCROLL, SB_PAGEDOWN, 0);
      first = SendMessageA(rr, EM_GETFIRSTVISIBLELINE, 0, 0);
    }
    LRESULT lines = SendMessageA(rr, EM_GETLINECOUNT, 0, 0);
    POINTL last{};
    SendMessageA(rr, EM_POSFROMCHAR, (WPARAM)&last, SendMessageA(rr, EM_LINEINDEX, lines - 1, 0));
    RECT client{};
    GetClientRect(rr, &client);
    EXPECT_TRUE(last.y > 0 && last.y < client.bottom) << c.what << ": the last of " << lines << " lines at " << last.y;
  }
}

TEST(ReadmeViewer, ReadOnceAndNeverChangedFromOutside) {
  Viewer v;
  v.dir.Write("Readme.txt", "first\r\n");
  v.Make();
  // The file is not held open: it can be replaced, and the viewer keeps what it read.
  v.dir.Write("Readme.txt", "second\r\n");
  EXPECT_TRUE(v.dir.Remove("Readme.txt"));
  EXPECT_EQ(v.Text(), "first\r\n");

  // Typing, deleting, cutting and pasting change nothing; selecting and copying work.
  HWND rr = v.f->Viewer()->Handle();
  SendMessageA(rr, EM_SETSEL, 0, -1);
  SendMessageA(rr, WM_CHAR, 'x', 0);
  SendMessageA(rr, WM_KEYDOWN, VK_DELETE, 0);
  SendMessageA(rr, WM_KEYDOWN, VK_BACK, 0);
  SendMessageA(rr, WM_CUT, 0, 0);
  SendMessageA(rr, WM_PASTE, 0, 0);
  EXPECT_EQ(v.Text(), "first\r\n");
  CHARRANGE cr{0, 5};
  SendMessageA(rr, EM_EXSETSEL, 0, (LPARAM)&cr);
  char sel[32] = {};
  SendMessageA(rr, EM_GETSELTEXT, 0, (LPARAM)sel);
  EXPECT_STREQ(sel, "first");
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    CloseClipboard();
  }
  SendMessageA(rr, WM_COPY, 0, 0);
  std::string copied;
  if (OpenClipboard(nullptr)) {
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
      if (auto* p = static_cast<const char*>(GlobalLock(h))) copied = p;
      GlobalUnlock(h);
    }
    CloseClipboard();
  }
  EXPECT_EQ(copied, "first");
}

TEST(ReadmeViewer, TheWindowAsDescribed) {
  Viewer v;
  v.dir.Write("Readme.txt", "text\r\n");
  v.Make();
  TFrmReadMe* f = v.f.get();
  EXPECT_EQ(f->Name(), "FrmReadMe");
  EXPECT_EQ(f->Caption(), "Velmor - Readme.txt");
  EXPECT_FALSE(f->Visible()) << "made hidden";
  LONG style = GetWindowLongA(f->Handle(), GWL_STYLE);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_TRUE(style & WS_THICKFRAME) << "sizable";
  EXPECT_FALSE(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) << "no title-bar buttons";
  RECT w{};
  GetWindowRect(f->Handle(), &w);
  EXPECT_EQ(w.right - w.left, 552);
  EXPECT_EQ(w.bottom - w.top, 399);
  EXPECT_EQ(w.left, (GetSystemMetrics(SM_CXSCREEN) - 552) / 2);
  EXPECT_EQ(w.top, (GetSystemMetrics(SM_CYSCREEN) - 399) / 2);

  char cls[32] = {};
  GetClassNameA(f->Viewer()->Handle(), cls, sizeof(cls));
  EXPECT_STREQ(cls, "RICHEDIT");
  LONG rs = GetWindowLongA(f->Viewer()->Handle(), GWL_STYLE);
  EXPECT_TRUE(rs & ES_READONLY);
  EXPECT_TRUE(rs & ES_MULTILINE);
  EXPECT_TRUE((rs & WS_VSCROLL) && (rs & ES_DISABLENOSCROLL)) << "the vertical bar always there";
  EXPECT_FALSE(rs & (WS_HSCROLL | ES_AUTOHSCROLL)) << "lines wrap";
  EXPECT_TRUE(rs & WS_TABSTOP) << "the keyboard reaches the text, to scroll it";
  EXPECT_TRUE(GetWindowLongA(f->Button1->Handle(), GWL_STYLE) & WS_TABSTOP);
  EXPECT_EQ(f->Button1->Caption(), "OK");

  // rr fills what the 34-pixel panel leaves; OK keeps its place from the panel's left edge.
  for (SIZE s : {SIZE{552, 399}, SIZE{700, 500}, SIZE{300, 200}}) {
    SetWindowPos(f->Handle(), nullptr, 0, 0, s.cx, s.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT c{}, r{}, p{}, b{};
    GetClientRect(f->Handle(), &c);
    GetWindowRect(f->Viewer()->Handle(), &r);
    GetWindowRect(f->Panel1->Handle(), &p);
    GetWindowRect(f->Button1->Handle(), &b);
    MapWindowPoints(nullptr, f->Handle(), (POINT*)&r, 2);
    MapWindowPoints(nullptr, f->Handle(), (POINT*)&p, 2);
    MapWindowPoints(nullptr, f->Panel1->Handle(), (POINT*)&b, 2);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, c.right) << s.cx;
    EXPECT_EQ(r.bottom, c.bottom - 34) << s.cy;
    EXPECT_EQ(p.top, c.bottom - 34);
    EXPECT_EQ(p.bottom - p.top, 34);
    EXPECT_EQ(p.right, c.right);
    EXPECT_EQ(b.left, 234);
    EXPECT_EQ(b.top, 6);
    EXPECT_EQ(b.right - b.left, 75);
    EXPECT_EQ(b.bottom - b.top, 25);
  }
}

TEST(ReadmeViewer, OkEndsTheModalRunAndTheViewerShowsAgainAsItWas) {
  Viewer v;
  v.dir.Write("Readme.txt", "text\r\n");
  v.Make();
  for (int round = 0; round < 2; ++round) {
    PostMessageA(v.f->Button1->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(v.f->ShowModal(), mrOk);
    EXPECT_FALSE(IsWindowVisible(v.f->Handle()));
    EXPECT_EQ(v.Text(), "text\r\n");
  }
}

// A folder whose name the ANSI code page cannot spell: the file is still reached.
TEST(ReadmeViewer, AFolderWithANameBeyondTheCodePage) {
  TTempFolder dir;
  std::wstring folder = Widen(dir.Path()) + L"\\\u0412\u0435\u043B\u044C\u043C\u043E\u0440 \u03A9\\";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  HANDLE h = CreateFileW((folder + L"Readme.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD done = 0;
  WriteFile(h, "found\r\n", 7, &done, nullptr);
  CloseHandle(h);
  ShownErrors().clear();
  {
    TFrmReadMe f(nullptr, folder);
    EXPECT_TRUE(ShownErrors().empty());
    EXPECT_EQ(f.Viewer()->Text(), "found\r\n");
  }
  DeleteFileW((folder + L"Readme.txt").c_str());
  RemoveDirectoryW(folder.c_str());
}

// The guide we ship: Windows-1252 text with CR LF line ends, no line over 78 characters, and
// the viewer shows all of it.
TEST(ReadmeViewer, TheShippedGuide) {
  std::string folder = AnsiOf(ExeFolderW()) + "\\shipped\\";
  TFrmReadMe f(nullptr, Widen(folder));
  std::string bytes;
  {
    HANDLE h = CreateFileA((folder + "Readme.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    char buf[4096];
    DWORD n = 0;
    while (ReadFile(h, buf, sizeof(buf), &n, nullptr) && n) bytes.append(buf, n);
    CloseHandle(h);
  }
  ASSERT_GT(bytes.size(), 2000u);
  EXPECT_EQ(f.Viewer()->Text(), bytes);
  size_t start = 0, lines = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find("\r\n", start);
    ASSERT_NE(end, std::string::npos) << "the last line ends in CR LF too";
    std::string line = bytes.substr(start, end - start);
    ++lines;
    EXPECT_LE(line.size(), 78u) << "line " << lines;
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "line " << lines << ": a bare CR or LF";
    for (unsigned char ch : line) {
      EXPECT_TRUE(ch >= 0x20 && ch != 0x7F && ch != 0x81 && ch != 0x8D && ch != 0x8F && ch != 0x90 && ch != 0x9D)
          << "line " << lines << ": byte " << (int)ch << " is no Windows-1252 text";
    }
    start = end + 2;
  }
  for (const char* topic : {"tray", "threshold", "Notify only", "Defragment automatically", "1 MB", "few seconds",
                            "Abort", "Settings", ".lng", "Windows-1252", "[MAINFILE]", "HKEY_LOCAL_MACHINE\\Software\\Tolvane\\Velmor",
                            "CurrentVersion\\Run", "Delete Velmor's folder"})
    EXPECT_NE(bytes.find(topic), std::string::npos) << topic;
}

}  // namespace

