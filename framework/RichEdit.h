// The system's rich edit control, version 1.0 (class "RICHEDIT" of riched32.dll), loaded from
// the system folder only: a DLL of that name planted beside the program must never run.
#pragma once
#include <windows.h>
#include <string>
#include "framework/Controls.h"
#include "framework/Handles.h"

// The library at this full path, loaded; raises "Cannot load <path>" when it does not load.
TModuleHandle LoadLibraryAt(const std::wstring& path);

// "<system folder>\riched32.dll".
std::wstring SystemRichEditPath();

// A read-only, word-wrapping rich edit box with a vertical scroll bar that is always there.
class TRichEdit : public TWinControl {
public:
  TRichEdit(TComponent* AOwner, TWinControl* AParent);
  ~TRichEdit() override;

  // The font that plain text gets, in this character set; also the window's font.
  void SetDefaultFont(const gdi::FontSpec& f, BYTE charSet);
  // Plain text loaded from now on has its lines broken into lines of at most this many
  // characters (0, the default: never broken). The control lays a paragraph out in a time that
  // grows with the square of its length.
  void SetLineLimit(size_t v) { FLineLimit = v; }
  // Replaces the whole content with these bytes: rich text when they begin with "{\rtf" and
  // read as such (a document without text leaves the box empty), else plain text: UTF-16 after
  // its byte-order mark (either byte order), otherwise text in the ANSI code page (or UTF-8
  // after its mark). complete: false when the bytes are the start of a longer document, whose
  // rich text then ends where the bytes do. Raises "Failed to Load Stream" (the box is then
  // empty) when neither reading succeeds.
  void LoadFromText(const std::string& bytes, bool complete = true);
  // Adds plain text at the end, read-only or not; the box then shows its start again.
  void Append(const std::string& text);
  std::string Text() const;
  void SetText(const std::string& v);

private:
  TModuleHandle FLibrary;
  size_t FLineLimit = 0;
};

// The text with every line longer than limit characters broken by CR LF: after the last blank
// in the piece's last quarter when it has one, else after limit characters. A character is
// never split: UTF-16 surrogate pairs stay together, as do the bytes of a UTF-8 character
// (utf8) or of a double-byte character of the ANSI code page (otherwise).
std::string BreakLongLines(const std::string& s, size_t limit, bool utf8);
std::wstring BreakLongLines(const std::wstring& s, size_t limit);
