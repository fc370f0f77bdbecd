// The six settings kept in the registry (and a seventh, "Notifica", read on its own), read once
// at start-up and written once at Quit, and the Settings menu's toggles; the autostart toggle
// changes the system's log-on list at once.
#include <algorithm>
#include <vector>
#include "app/URam.h"
#include "framework/Paths.h"
#include "i18n/LangFiles.h"

namespace {
const char* const kSettingsKey = "Software\\Tolvane\\Velmor";
const char* const kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kRunValue = "Velmor";

// What a first start (or an unreadable store) gets.
const int kDefaultThreshold = 50;
const int kDefaultAction = 0;  // notify only
const char* const kDefaultLangFile = "Italiano.lng";
const bool kDefaultAutoStart = false, kDefaultOnTop = true, kDefaultBeep = true;
const bool kDefaultNotify = true;
// A longer text setting is damaged, like one of the wrong type; it is refused before anything
// is allocated for it.
const unsigned kMaxSettingBytes = 4096;
}  // namespace

std::string RunEntryFor(const std::string& exePath) {
  if (exePath.find(' ') == std::string::npos) return exePath;
  return "\"" + exePath + "\"";
}

std::wstring RunEntryFor(const std::wstring& exePath) {
  if (exePath.find(L' ') == std::wstring::npos) return exePath;
  return L"\"" + exePath + L"\"";
}

std::string StoredLanguageFile(const std::string& lingua) {
  // Empty stays empty: a key without "Lingua" names no file, and shows empty captions.
  if (lingua.empty() || IsBareFileName(lingua)) return lingua;
  return kDefaultLangFile;
}

void TfrmVelmor::LoadSettings() {
  FRegistry = std::make_unique<TRegistry>(KEY_ALL_ACCESS);
  FRegistry->SetRootKey(FSettingsRoot);
  // Not checked: a key that did not open makes the first read fail, and so gives the defaults.
  FRegistry->OpenKey(kSettingsKey, true);
  try {
    // The threshold goes in as stored; its range is set afterwards, so an out-of-range value
    // stays until the field is left or spun.
    soglia->SetValue(FRegistry->ReadInteger("Soglia"));
    // Below -1 is no item (notify only), above 1 is the last item.
    rgAllarme->SetItemIndex(std::clamp(FRegistry->ReadInteger("Azione"), -1, 1));
    // Only a file of the program's own folder; anything else stands for the default.
    FLangFile = StoredLanguageFile(FRegistry->ReadString("Lingua", kMaxSettingBytes));
    autostart->SetChecked(FRegistry->ReadBool("AutoStart"));
    OnTop->SetChecked(FRegistry->ReadBool("OnTop"));
    Beep1->SetChecked(FRegistry->ReadBool("Beep"));
  } catch (const std::exception&) {
    // All six or none: a store with one unreadable value is not trusted for the others. Nothing
    // the registry holds ends the program.
    soglia->SetValue(kDefaultThreshold);
    rgAllarme->SetItemIndex(kDefaultAction);
    FLangFile = kDefaultLangFile;
    autostart->SetChecked(kDefaultAutoStart);
    OnTop->SetChecked(kDefaultOnTop);
    Beep1->SetChecked(kDefaultBeep);
  }
  // "Notifica" stands apart from the six: a store written before it existed lacks it, and that
  // is no damage. Missing or of another type, it reads as on and leaves the six as they are.
  try {
    Notifica1->SetChecked(FRegistry->ReadBool("Notifica"));
  } catch (const std::exception&) {
    Notifica1->SetChecked(kDefaultNotify);
  }
  FRegistry->CloseKey();
}

void TfrmVelmor::SaveSettings() {
  if (!FRegistry) {
    FRegistry = std::make_unique<TRegistry>(KEY_ALL_ACCESS);
    FRegistry->SetRootKey(FSettingsRoot);
  }
  // Not checked either: with no key open the first write raises, naming "Soglia".
  FRegistry->OpenKey(kSettingsKey, true);
  try {
    FRegistry->WriteInteger("Soglia", soglia->Value());
    FRegistry->WriteInteger("Azione", rgAllarme->ItemIndex());
    FRegistry->WriteString("Lingua", FLangFile);
    FRegistry->WriteBool("AutoStart", autostart->Checked());
    FRegistry->WriteBool("OnTop", OnTop->Checked());
    FRegistry->WriteBool("Beep", Beep1->Checked());
    FRegistry->WriteBool("Notifica", Notifica1->Checked());
  } catch (...) {
    FRegistry->CloseKey();  // kept, with no key open, for the next Quit
    throw;
  }
  FRegistry->CloseKey();
  FRegistry.reset();
}

void TfrmVelmor::ApplyOnTop() {
  if (Ontop1) Ontop1->SetChecked(OnTop->Checked());
  SetFormStyle(OnTop->Checked() ? fsStayOnTop : fsNormal);
}

void TfrmVelmor::OnTopClick(TObject* Sender) {
  OnTop->SetChecked(!OnTop->Checked());
  ApplyOnTop();
}

void TfrmVelmor::autostartClick(TObject* Sender) {
  autostart->SetChecked(!autostart->Checked());
  TRegistry run(KEY_ALL_ACCESS);
  run.SetRootKey(FRunRoot);
  // Never created here. Without the right to open it no key is open: the value then reads as
  // missing, so switching on raises (naming "Velmor") and switching off does nothing.
  run.OpenKey(kRunKey, false);
  if (autostart->Checked()) {
    // A value already there, whatever it says, is left alone.
    if (run.ValueExists(kRunValue)) return;
    if (FExePath.empty()) FExePath = ModulePathW();
    // Wide: a folder's name may hold letters the ANSI code page has not.
    run.WriteString(kRunValue, RunEntryFor(FExePath));
  } else if (run.ValueExists(kRunValue)) {
    run.DeleteValue(kRunValue);
  }
}
