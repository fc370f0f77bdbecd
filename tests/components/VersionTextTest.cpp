#include <gtest/gtest.h>
#include <windows.h>
#include <memory>
#include <string>
#include "components/OvVersCpt.h"
#include "components/verslab.h"
#include "framework/Paths.h"
#include "tests/components/ComponentsSupport.h"

namespace {

// This test program carries the program's own version resource; the others lie beside it.
std::wstring Own() { return ModulePathW(); }
std::wstring Beside(const wchar_t* name) { return ExeFolderW() + L"\\" + name; }
std::wstring EmptyValues() { return Beside(L"verinfo_empty.exe"); }  // empty values, flags set
std::wstring NoTrans() { return Beside(L"verinfo_notrans.exe"); }  // no translation listed
std::wstring None() { return Beside(L"verinfo_none.exe"); }        // no resource at all

std::string WindowText(HWND h) {
  char buf[256] = {};
  GetWindowTextA(h, buf, sizeof(buf));
  return buf;
}

struct TLabelCase {
  const char* what;
  std::wstring (*exe)();
  TVersionResources row;
  const char* langCharset;  // nullptr: leave "-1"
  const char* text;
};

TEST(VersionLabel, EveryRowAndStatusTextAsTheLabelShowsIt) {
  const TLabelCase cases[] = {
      {"own file version", Own, vrFileVersion, nullptr, "Versione File: 1.0.0.7"},
      {"own product version", Own, vrProductVersion, nullptr, "Versione Prodotto: 1.0.0.0"},
      {"own company, kept for Explorer", Own, vrCompanyName, nullptr, "Realizzazione: Tolvane"},
      {"own product name", Own, vrProductName, nullptr, "Nome Prodotto: Velmor"},
      {"own flags: none set", Own, vrFlags, nullptr, "Flags: "},
      {"own file, no such string table", Own, vrFileVersion, "040904B0", "Versione File: < Error retrieving version info >"},
      {"own comments, present and empty", Own, vrComments, nullptr, "Commenti: < No Version Info >"},
      {"own copyright, present and empty", Own, vrLegalCopyright, nullptr, "Copyright: < No Version Info >"},
      {"a key not in the table", NoTrans, vrComments, "040904B0", "Commenti: < Error retrieving version info >"},
      {"empty description", EmptyValues, vrFileDescription, nullptr, "Descrizione File: < No Version Info >"},
      {"empty comments", EmptyValues, vrComments, nullptr, "Commenti: < No Version Info >"},
      {"empty copyright", EmptyValues, vrLegalCopyright, nullptr, "Copyright: < No Version Info >"},
      {"debug and private flags", EmptyValues, vrFlags, nullptr, "Flags: Debug Build, Private Build"},
      {"file version beside the empty values", EmptyValues, vrFileVersion, nullptr, "Versione File: 1.0.0.7"},
      {"no translation listed", NoTrans, vrFileVersion, nullptr, "Versione File: < Error retrieving translation info >"},
      {"no translation, but the table named", NoTrans, vrFileVersion, "040904B0", "Versione File: 2.3.0.1"},
      {"no resource", None, vrFileVersion, nullptr, "Versione File: < No Data Available >"},
      {"no resource, flags", None, vrFlags, nullptr, "Flags: < No Data Available >"},
      {"no such file", [] { return Beside(L"missing.exe"); }, vrFileVersion, nullptr,
       "Versione File: < No Data Available >"},
  };
  Host host;
  for (const auto& c : cases) {
    TVersionLabel l(nullptr, host.panel, c.exe());
    if (c.langCharset) l.SetLangCharset(c.langCharset);
    l.SetVersionResource(c.row);
    EXPECT_EQ(l.Caption(), c.text) << c.what;
    EXPECT_EQ(WindowText(l.Handle()), c.text) << c.what << ": the window shows it too";
  }
}

TEST(VersionLabel, StartsOnTheFileVersionAndKeepsTheTranslationItFound) {
  Host host;
  TVersionLabel l(nullptr, host.panel, Own());
  EXPECT_EQ(l.VersionResource(), vrFileVersion);
  EXPECT_EQ(l.VersionResourceKey(), "FileVersion");
  EXPECT_EQ(l.InfoPrefix(), "Versione File:");
  EXPECT_TRUE(l.ShowInfoPrefix());
  EXPECT_EQ(l.LangCharset(), "041004E4") << "the first build resolves -1 and keeps the digits";
  EXPECT_EQ(l.Caption(), "Versione File: 1.0.0.7");
  EXPECT_TRUE(l.Visible());

  // "-1" again resolves again; digits of no table give the error, and stay.
  l.SetLangCharset("040904B0");
  EXPECT_EQ(l.Caption(), "Versione File: < Error retrieving version info >");
  EXPECT_EQ(l.LangCharset(), "040904B0");
  l.SetLangCharset("-1");
  EXPECT_EQ(l.LangCharset(), "041004E4");
  EXPECT_EQ(l.Caption(), "Versione File: 1.0.0.7");

  // A resource without a translation leaves "-1" for the next build to try.
  TVersionLabel n(nullptr, host.panel, NoTrans());
  EXPECT_EQ(n.LangCharset(), "-1");
}

TEST(VersionLabel, PrefixRules) {
  Host host;
  TVersionLabel l(nullptr, host.panel, Own());
  l.SetShowInfoPrefix(false);
  EXPECT_EQ(l.Caption(), "1.0.0.7") << "without the prefix, the bare value";
  l.SetShowInfoPrefix(true);
  l.SetInfoPrefix("");
  EXPECT_EQ(l.Caption(), " 1.0.0.7") << "an empty prefix still puts the blank";
  l.SetInfoPrefix("Velmor v.");
  EXPECT_EQ(l.Caption(), "Velmor v. 1.0.0.7");

  // A new key becomes the prefix too; the same key again changes nothing.
  l.SetInfoPrefix("Versione File:");
  l.SetVersionResourceKey("ProductName");
  EXPECT_EQ(l.InfoPrefix(), "ProductName");
  EXPECT_EQ(l.Caption(), "ProductName Velmor");
  l.SetInfoPrefix("Name:");
  l.SetVersionResourceKey("ProductName");
  EXPECT_EQ(l.InfoPrefix(), "Name:");
  // Letter case counts: a key that differs only in case is a new key.
  l.SetVersionResourceKey("productname");
  EXPECT_EQ(l.InfoPrefix(), "productname");

  // VersionResource always acts, even on the row it already has: key, then the row's prefix.
  l.SetVersionResource(vrProductName);
  EXPECT_EQ(l.VersionResourceKey(), "ProductName");
  EXPECT_EQ(l.InfoPrefix(), "Nome Prodotto:");
  l.SetInfoPrefix("Mine:");
  l.SetVersionResource(vrProductName);
  EXPECT_EQ(l.InfoPrefix(), "Nome Prodotto:");

  // A key that is no key at all reads as missing; an empty one too. Nothing breaks.
  for (const char* key : {"", "\\", "..\\..\\VarFileInfo", "NoSuchKey"}) {
    l.SetVersionResourceKey(key);
    EXPECT_NE(l.Caption().find("< "), std::string::npos) << key << ": " << l.Caption();
  }
}

// An executable in a folder whose name the ANSI code page cannot spell is still read.
TEST(VersionLabel, AnExecutableInAFolderWithANameBeyondTheCodePage) {
  wchar_t tmp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, tmp);
  std::wstring folder = std::wstring(tmp) + L"velmor-\u0412\u0435\u0440\u0441\u0438\u044F-" +
                        std::to_wstring(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  std::wstring exe = folder + L"\\verinfo_empty.exe";
  ASSERT_TRUE(CopyFileW(EmptyValues().c_str(), exe.c_str(), FALSE));
  {
    Host host;
    TVersionLabel l(nullptr, host.panel, exe);
    EXPECT_EQ(l.Caption(), "Versione File: 1.0.0.7");
  }
  DeleteFileW(exe.c_str());
  RemoveDirectoryW(folder.c_str());
}

// The main window as far as the caption goes: a form named "Velmor" with its caption component.
struct CaptionHost {
  TForm* form;
  TOvVersionCaptionForm* fv;
  explicit CaptionHost(std::wstring exe) {
    form = new TForm(nullptr, "TVersionCaptionHost");
    form->SetCaption("Velmor");
    fv = new TOvVersionCaptionForm(form, std::move(exe));
    fv->SetInfoPrefix("v.");
  }
  ~CaptionHost() { delete form; }
  std::string Caption() const { return WindowText(form->Handle()); }
};

TEST(VersionCaption, TheCaptionGetsTheVersionOnceAndNeverAStatusText) {
  CaptionHost own(Own());
  EXPECT_EQ(own.fv->BaseCaption(), "Velmor");
  EXPECT_EQ(own.fv->VersionText(), "v. 1.0.0.7");
  EXPECT_EQ(own.Caption(), "Velmor") << "property changes leave the caption alone";
  own.fv->UpdateCaption();
  EXPECT_EQ(own.Caption(), "Velmor v. 1.0.0.7");
  own.fv->UpdateCaption();
  EXPECT_EQ(own.Caption(), "Velmor v. 1.0.0.7") << "a second update does not stack";
  own.fv->SetShowParentheses(true);
  EXPECT_EQ(own.fv->VersionText(), "(v. 1.0.0.7)");
  EXPECT_EQ(own.Caption(), "Velmor v. 1.0.0.7");
  own.fv->UpdateCaption();
  EXPECT_EQ(own.Caption(), "Velmor (v. 1.0.0.7)");

  // Every status text leaves the window's own caption.
  for (auto exe : {None, NoTrans}) {
    CaptionHost h(exe());
    h.form->SetCaption("Velmor v. old");
    h.fv->UpdateCaption();
    EXPECT_EQ(h.Caption(), "Velmor");
    EXPECT_NE(h.fv->VersionText().find('<'), std::string::npos);
  }
  CaptionHost wrongTable(Own());
  wrongTable.fv->SetLangCharset("040904B0");
  wrongTable.fv->UpdateCaption();
  EXPECT_EQ(wrongTable.Caption(), "Velmor");

  // Without a window to own it there is no caption to write, and no harm done.
  TOvVersionCaptionForm orphan(nullptr, Own());
  orphan.UpdateCaption();
  EXPECT_EQ(orphan.VersionText(), "Versione File: 1.0.0.7");
}

}  // namespace
