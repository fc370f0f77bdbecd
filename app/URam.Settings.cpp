// The eight settings kept in the registry, each read on its own once at start-up and all
// written at Quit (and at the end of the session), and the Settings menu's toggles; the
// autostart toggle changes the log-on list at once. The machine-wide keys come first; where
// Windows refuses them to a standard or limited account, the user's own keys of the same names
// stand in.
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
const bool kDefaultMemoryIcon = false;
// A longer text setting is damaged, like one of the wrong type; it is refused before anything
// is allocated for it.
const unsigned kMaxSettingBytes = 4096;
}  // namespace

std::string StoredLanguageFile(const std::string& lingua) {
  // Empty stays empty: a stored empty name names no file, and shows empty captions.
  if (lingua.empty() || IsBareFileName(lingua)) return lingua;
  return kDefaultLangFile;
}

namespace {
// One value as the first of the stores that holds it readably gives it; a value missing or
// damaged in one store is taken from the other, and only when neither has it good, the default.
template <class T, class Read>
T FirstGood(const TRegistry* const (&stores)[2], Read read, T fallback) {
  for (const TRegistry* store : stores) {
    try {
      return read(*store);
    } catch (const ERegistryException&) {
    }
  }
  return fallback;
}
}  // namespace

void TfrmVelmor::ReadSettings(const TRegistry& newer, const TRegistry& older) {
  const TRegistry* const stores[2] = {&newer, &older};
  auto integer = [&](const char* name, int fallback) {
    return FirstGood(stores, [name](const TRegistry& r) { return r.ReadInteger(name); }, fallback);
  };
  auto boolean = [&](const char* name, bool fallback) {
    return FirstGood(stores, [name](const TRegistry& r) { return r.ReadBool(name); }, fallback);
  };
  auto text = [&](const char* name, const std::string& fallback) {
    return FirstGood(
        stores,
        [name](const TRegistry& r) {
          // Here a missing text is missing, as any other value is, rather than an empty name.
          if (!r.ValueExists(name)) throw ERegistryException(std::string("Failed to get data for '") + name + "'");
          return r.ReadString(name, kMaxSettingBytes);
        },
        fallback);
  };
  // A stored threshold within the spin edit's own range: -5 would make an alarm that never
  // fires, 0x7FFFFFFF one that never ends. The default stays as it is.
  const int most = ThresholdMaximum();
  soglia->SetValue(FirstGood(
      stores, [most](const TRegistry& r) { return std::clamp(r.ReadInteger("Soglia"), 0, most); }, kDefaultThreshold));
  // Below -1 is no item (notify only), above 1 is the last item.
  rgAllarme->SetItemIndex(std::clamp(integer("Azione", kDefaultAction), -1, 1));
  // Only a file of the program's own folder; anything else stands for the default.
  FLangFile = StoredLanguageFile(text("Lingua", kDefaultLangFile));
  autostart->SetChecked(boolean("AutoStart", kDefaultAutoStart));
  OnTop->SetChecked(boolean("OnTop", kDefaultOnTop));
  Beep1->SetChecked(boolean("Beep", kDefaultBeep));
  // Missing in every store an earlier Velmor wrote: on.
  Notifica1->SetChecked(boolean("Notifica", kDefaultNotify));
  // Likewise missing in every store written before it: off.
  IconaMem1->SetChecked(boolean("IconaMem", kDefaultMemoryIcon));
}

int TfrmVelmor::ThresholdMaximum() {
  const uint64_t totalMb = TotalRam() / 1048576;
  return totalMb > 0x7FFFFFFF ? 0x7FFFFFFF : (int)totalMb;
}

void TfrmVelmor::WriteSettings(TRegistry& reg) {
  reg.WriteInteger("Soglia", soglia->Value());
  reg.WriteInteger("Azione", rgAllarme->ItemIndex());
  reg.WriteString("Lingua", FLangFile);
  reg.WriteBool("AutoStart", autostart->Checked());
  reg.WriteBool("OnTop", OnTop->Checked());
  reg.WriteBool("Beep", Beep1->Checked());
  reg.WriteBool("Notifica", Notifica1->Checked());
  reg.WriteBool("IconaMem", IconaMem1->Checked());
}

namespace {
// A key that holds settings: one that opened and has values. The machine key is made at
// start-up when missing, and an empty key must not pass for the newest store.
bool HoldsSettings(const TRegistry& reg, FILETIME& written) {
  TRegKeyInfo info;
  if (!reg.GetKeyInfo(info) || info.NumValues == 0) return false;
  written = info.FileTime;
  return true;
}
}  // namespace

void TfrmVelmor::LoadSettings() {
  FRegistry = std::make_unique<TRegistry>(KEY_ALL_ACCESS);
  FRegistry->SetRootKey(FSettingsRoot);
  // Not checked: a key that did not open holds no settings.
  FRegistry->OpenKey(kSettingsKey, true);
  // The user's own key, where Quit writes when the machine key is refused; only read here, and
  // never made.
  TRegistry user(KEY_READ);
  user.SetRootKey(FUserSettingsRoot);
  user.OpenKey(kSettingsKey, false);
  // The store written last comes first; equal times go to the machine key. Each value is read
  // on its own, so one damaged value costs only itself.
  FILETIME machineTime{}, userTime{};
  bool machineHolds = HoldsSettings(*FRegistry, machineTime);
  bool userHolds = HoldsSettings(user, userTime);
  const bool userFirst = userHolds && (!machineHolds || CompareFileTime(&userTime, &machineTime) > 0);
  if (userFirst)
    ReadSettings(user, *FRegistry);
  else
    ReadSettings(*FRegistry, user);
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
    WriteSettings(*FRegistry);
  } catch (const ERegistryException&) {
    FRegistry->CloseKey();  // kept, with no key open, for the next try
    // A limited account (or one without registry virtualisation) may not write the machine
    // key: the user's own key keeps the settings then, and start-up finds them there as the
    // newer store. Only when that is refused too does the error reach the caller.
    TRegistry user(KEY_ALL_ACCESS);
    user.SetRootKey(FUserSettingsRoot);
    user.OpenKey(kSettingsKey, true);
    WriteSettings(user);
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

namespace {
const char* const kMachineRunName = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kUserRunName = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Whether the Run key under root holds "Velmor". A key the program may not read holds none it
// could know of.
bool RunValueIn(HKEY root) {
  TRegistry run(KEY_QUERY_VALUE);
  run.SetRootKey(root);
  run.OpenKey(kRunKey, false);
  return run.ValueExists(kRunValue);
}

// Writes "Velmor" into the Run key under root, asking only for the right to set values; false
// when the system refuses. The machine's key is never made; the user's is, when a new profile
// lacks it.
bool WriteRunValue(HKEY root, bool canCreate, const std::wstring& entry) {
  TRegistry run(KEY_QUERY_VALUE | KEY_SET_VALUE);
  run.SetRootKey(root);
  if (!run.OpenKey(kRunKey, canCreate)) return false;
  try {
    run.WriteString(kRunValue, entry);
  } catch (const ERegistryException&) {
    return false;
  }
  return true;
}

// Deletes "Velmor" from the Run key under root; false when one stays there.
bool RemoveRunValue(HKEY root) {
  if (!RunValueIn(root)) return true;
  TRegistry run(KEY_SET_VALUE);
  run.SetRootKey(root);
  return (run.OpenKey(kRunKey, false) && run.DeleteValue(kRunValue)) || !RunValueIn(root);
}
}  // namespace

void TfrmVelmor::autostartClick(TObject* Sender) {
  autostart->SetChecked(!autostart->Checked());
  if (autostart->Checked()) {
    // A value already there, in either list and whatever it says, is left alone.
    if (RunValueIn(FRunRoot) || RunValueIn(FUserRunRoot)) return;
    if (FExePath.empty()) FExePath = ModulePathW();
    // Wide: a folder's name may hold letters the ANSI code page has not.
    const std::wstring entry = RunEntryFor(FExePath);
    // The machine's list where the program may write it (Windows never virtualises it); else
    // the user's own, which the shell runs at that user's log-on just the same.
    if (WriteRunValue(FRunRoot, false, entry) || WriteRunValue(FUserRunRoot, true, entry)) return;
    autostart->SetChecked(false);  // nothing was registered, and the mark must not say otherwise
    throw ERegistryException("Failed to set data for '" + std::string(kRunValue) + "'");
  }
  std::string kept;
  if (!RemoveRunValue(FRunRoot)) kept = kMachineRunName;
  if (!RemoveRunValue(FUserRunRoot)) kept += (kept.empty() ? "" : " and ") + std::string(kUserRunName);
  if (kept.empty()) return;
  autostart->SetChecked(true);  // the program still starts at log-on
  throw ERegistryException("Could not remove '" + std::string(kRunValue) + "' from " + kept + ".");
}
