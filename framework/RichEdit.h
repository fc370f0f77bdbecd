// The system's rich edit control, version 1.0 (class "RICHEDIT" of riched32.dll), loaded from
// the system folder only: a DLL of that name planted beside the program must never run.
#pragma once
#include <windows.h>
#include <memory>
#include <string>
#include "framework/Controls.h"

// A library loaded by full path and freed with its object.
class TLibrary {
public:
  // Raises "Cannot load <path>" when the library does not load.
  explicit TLibrary(const std::wstring& path);
  ~TLibrary();
  TLibrary(const TLibrary&) = delete;
  TLibrary& operator=(const TLibrary&) = delete;
  HMODULE Handle() const { return FModule; }

private:
  HMODULE FModule = nullptr;
};

// "<system folder>\riched32.dll".
std::wstring SystemRichEditPath();

// A read-only, word-wrapping rich edit box with a vertical scroll bar that is always there.
class TRichEdit : public TWinControl {
public:
  TRichEdit(TComponent* AOwner, TWinControl* AParent);
  ~TRichEdit() override;

  // The font that plain text gets, in this character set; also the window's font.
  void SetDefaultFont(const gdi::FontSpec& f, BYTE charSet);
  // Replaces the whole content with these bytes: rich text when they begin with "{\rtf" and
  // read as such, else plain text. Raises "Failed to Load Stream" (the box is then empty)
  // when neither reading succeeds. Any length loads whole.
  void LoadFromText(const std::string& bytes);
  std::string Text() const;
  void SetText(const std::string& v);

private:
  std::unique_ptr<TLibrary> FLibrary;
};
