// The window's languages: the captions read from the current language file, and the Language
// menu that lists every language file beside the program with its flag.
#include <algorithm>
#include <cstring>
#include <vector>
#include "app/Commands.h"
#include "app/URam.h"
#include "framework/Paths.h"
#include "i18n/LangFiles.h"

namespace {

// A caption copied from a place the file has just set; a popup item that is not there is skipped.
void CopyCaption(TMenuItem* to, const std::string& caption) {
  if (to) to->SetCaption(caption);
}

// A language item's caption: the file's name without ".lng", every "&" doubled so that the menu
// shows it as written instead of taking it for an accelerator mark.
std::string LanguageCaption(const std::string& fileName) {
  std::string out;
  for (char c : StripLngExt(fileName)) {
    if (c == '&') out += '&';
    out += c;
  }
  return out;
}

}  // namespace

void TfrmVelmor::ApplyLanguage() {
  // A name that is not a bare file name of the folder is never opened (it reads as no file).
  FLangIni = std::make_unique<TProfileFile>(IsBareFileName(FLangFile) ? FExeDir + L"\\" + Widen(FLangFile)
                                                                       : std::wstring());
  // The file is open only while it is applied, whatever happens on the way.
  struct Release {
    std::unique_ptr<TProfileFile>& ini;
    ~Release() { ini.reset(); }
  } release{FLangIni};
  auto read = [this](const char* section, const char* key) { return FLangIni->ReadString(section, key); };

  // A button has no shortcut column: it shows a caption up to its TAB.
  Deframmenta2->SetCaption(read("MAINFILE", "Defrag"));
  CopyCaption(Deframmenta1, Deframmenta2->Caption());
  bdefrag->SetCaption(std::string(Deframmenta2->CaptionText()));

  Abbandona2->SetCaption(read("MAINFILE", "Abort"));
  CopyCaption(Abbandona1, Abbandona2->Caption());
  babort->SetCaption(std::string(Abbandona2->CaptionText()));

  Riduciaicona1->SetCaption(read("MAINFILE", "Close"));
  CopyCaption(Iconizza1, Riduciaicona1->Caption());

  Chiudi2->SetCaption(read("MAINFILE", "Quit"));
  CopyCaption(Chiudi1, Chiudi2->Caption());

  CopyCaption(Ripristina1, read("MAINFILE", "Open"));

  FFreeMemText = read("LABELS", "FreeMem");
  FTotalMemText = read("LABELS", "TotalMem");
  Label1->SetCaption(MemoryLine(FTotalMemText, TotalRam()));
  Label2->SetCaption(MemoryLine(FFreeMemText, FreeRam()));

  rgAllarme->SetCaption(read("RADIOGROUP", "Caption"));
  rgAllarme->SetItem(0, read("RADIOGROUP", "Notify"));
  rgAllarme->SetItem(1, read("RADIOGROUP", "Execute"));

  Settings1->SetCaption(read("MAINSETTINGS", "Caption"));
  OnTop->SetCaption(read("MAINSETTINGS", "OnTop"));
  CopyCaption(Ontop1, OnTop->Caption());
  autostart->SetCaption(read("MAINSETTINGS", "AutoStart"));
  Beep1->SetCaption(read("MAINSETTINGS", "Beep"));
  // The two texts of the notification after a run came later than the files users have: a file
  // without them (or with them empty) gets the built-in English, never an empty item or balloon.
  auto readOr = [&](const char* section, const char* key, const char* builtIn) {
    std::string v = read(section, key);
    return v.empty() ? std::string(builtIn) : v;
  };
  Notifica1->SetCaption(readOr("MAINSETTINGS", "Notify", kBuiltInNotifyCaption));
  FFreedText = readOr("BALLOON", "Freed", kBuiltInFreedText);
  FRefusedText = readOr("BALLOON", "Refused", kBuiltInRefusedText);
  IconaMem1->SetCaption(readOr("MAINSETTINGS", "MemoryIcon", kBuiltInMemoryIconCaption));

  gb->SetCaption(read("GROUPBOX", "Caption"));
  Label4->SetCaption(read("GROUPBOX", "Label"));

  Language1->SetCaption(read("MAINLANGUAGE", "Caption"));
}

void TfrmVelmor::BuildLanguageMenu() {
  std::vector<std::string> names = ListLanguageFiles(FExeDir);
  // A menu of thousands of items helps nobody, and each item needs a command of its own.
  if (names.size() > (size_t)kMaxLanguageItems) names.resize(kMaxLanguageItems);
  HINSTANCE inst = GetModuleHandleA(nullptr);
  const COLORREF back = GetSysColor(COLOR_MENU);
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string& name = names[i];
    ++FLangCount;
    // Commands in a range of their own, in menu order, so that another program can choose one.
    auto* item = new TMenuItem(MainMenu1, cmLanguageFirst + (UINT)i);
    std::string itemName = "a";
    itemName += std::to_string(FLangCount);
    item->SetName(itemName);
    if (name == FLangFile) item->SetChecked(true);

    const std::string flag = TProfileFile(FExeDir + L"\\" + Widen(name)).ReadString("FLAG", "Index");
    // The menu shows pictures as they are, and a painter that keys the bottom-left pixel out
    // finds the menu's colour there all the same.
    if (gdi::Bitmap picture = LoadBitmapOnColor(inst, flag.c_str(), back)) item->SetBitmap(std::move(picture));

    item->SetCaption(LanguageCaption(name));
    // The item opens the file it was made from: its caption cannot name it back ("a.lng.lng"
    // and "a.lng" both show as "a").
    FLangItems.emplace_back(item, name);
    item->OnClick = [this](TObject* s) { DoClick(s); };
    // The menu starts empty and the names come in order, so appending puts each item at its index.
    Language1->Add(item);
  }
}

void TfrmVelmor::DoClick(TObject* Sender) {
  auto* clicked = dynamic_cast<TMenuItem*>(Sender);
  if (!clicked || clicked->Checked()) return;
  auto chosen = std::find_if(FLangItems.begin(), FLangItems.end(), [clicked](const auto& e) { return e.first == clicked; });
  if (chosen == FLangItems.end()) return;  // not one of the Language menu's items
  clicked->SetChecked(true);
  FLangFile = chosen->second;
  // Each item names a file of its own, so only the chosen one stays checked.
  for (int i = 0; i < Language1->Count(); ++i)
    if (Language1->Item(i) != clicked) Language1->Item(i)->SetChecked(false);
  // The new captions may wrap the menu bar to more rows or fewer, and the window grows or
  // shrinks with it: one shown in its corner beside the taskbar stays in that corner.
  RECT before{};
  GetWindowRect(Handle(), &before);
  bool inCorner = IsWindowVisible(Handle()) && AtTaskbarCorner(before);
  ApplyLanguage();
  RECT after{};
  GetWindowRect(Handle(), &after);
  if (inCorner && after.bottom - after.top != before.bottom - before.top) PlaceNearTaskbar();
}
