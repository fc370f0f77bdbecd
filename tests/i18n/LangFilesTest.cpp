#include <gtest/gtest.h>
#include "framework/Classes.h"
#include "framework/Paths.h"
#include <windows.h>
#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include "i18n/LangFiles.h"
#include "i18n/ProfileFile.h"
#include "support/ProcessCounts.h"
#include "tests/FileBytes.h"
#include "tests/TempFolder.h"

namespace {

using Names = std::vector<std::string>;

TEST(StripLngExt, RemovesEveryLowerCaseLngWhereverItStands) {
  EXPECT_EQ(StripLngExt("Italiano.lng"), "Italiano");
  EXPECT_EQ(StripLngExt("a.lng.lng"), "a");
  EXPECT_EQ(StripLngExt("English.LNG"), "English.LNG");
  EXPECT_EQ(StripLngExt("x.lngy.lng"), "xy");
  EXPECT_EQ(StripLngExt("..lnglng"), ".lng") << "one pass: what a removal joins stays";
  EXPECT_EQ(StripLngExt(".lng"), "");
  EXPECT_EQ(StripLngExt("R&D.lng"), "R&D");
  EXPECT_EQ(StripLngExt(""), "");
}

TEST(LanguageOrder, IgnoresLetterCaseLikeASortedListBox) {
  EXPECT_TRUE(LessIgnoringCase("Deutsch.lng", "english.lng"));
  EXPECT_TRUE(LessIgnoringCase("english.lng", "Italiano.lng"));
  EXPECT_FALSE(LessIgnoringCase("ITALIANO.lng", "italiano.lng"));
  EXPECT_FALSE(LessIgnoringCase("italiano.lng", "ITALIANO.lng"));
  EXPECT_TRUE(LessIgnoringCase("10.lng", "9.lng")) << "text, not numbers";
}

TEST(LanguageListing, ListsTheFilesSortedWithoutRegardToCase) {
  TTempFolder dir;
  for (const char* n : {"Italiano.lng", "english.lng", "Deutsch.lng", "readme.txt", "lng", "Zulu.lng", "alpha.lng"})
    dir.Write(n, "[FLAG]\r\n");
  EXPECT_EQ(ListLanguageFiles(Widen(dir.Path())),
            (Names{"alpha.lng", "Deutsch.lng", "english.lng", "Italiano.lng", "Zulu.lng"}));
}

TEST(LanguageListing, OnlyPlainFilesAreListed) {
  TTempFolder dir;
  dir.Write("plain.lng", "");
  dir.MakeFolder("x.lng");
  dir.Write("h.lng", "");
  ASSERT_TRUE(dir.SetAttributes("h.lng", FILE_ATTRIBUTE_HIDDEN));
  dir.Write("s.lng", "");
  ASSERT_TRUE(dir.SetAttributes("s.lng", FILE_ATTRIBUTE_SYSTEM));
  dir.Write("ro.lng", "");
  ASSERT_TRUE(dir.SetAttributes("ro.lng", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(ListLanguageFiles(Widen(dir.Path())), (Names{"plain.lng", "ro.lng"}));
}

TEST(LanguageListing, OddNamesAreListedAsTheyStand) {
  TTempFolder dir;
  for (const char* n : {"a.lng.lng", "English.LNG", "R&D.lng", "a.lng", "x.lngx", "y.lng.bak", "empty.lng"})
    dir.Write(n, "");
  EXPECT_EQ(ListLanguageFiles(Widen(dir.Path())), (Names{"a.lng", "a.lng.lng", "empty.lng", "English.LNG", "R&D.lng"}));
}

TEST(LanguageListing, NoFolderOrNoFilesGiveAnEmptyList) {
  TTempFolder dir;
  EXPECT_TRUE(ListLanguageFiles(Widen(dir.Path())).empty());
  EXPECT_TRUE(ListLanguageFiles(Widen(dir / "missing")).empty());
  EXPECT_TRUE(ListLanguageFiles(Widen("")).empty());
  EXPECT_TRUE(ListLanguageFiles(Widen(std::string(5000, 'x'))).empty());
}

// A folder named in Cyrillic holds the files as any other; a file named in Greek, which the ANSI
// code page cannot hold, is left out rather than offered as "????????". Its content is read
// through the wide path all the same, byte for byte.
TEST(LanguageListing, FoldersAndNamesOutsideTheAnsiCodePage) {
  TTempFolder dir;
  const std::wstring folder = Widen(dir.Path()) + L"\\\u041f\u0430\u043c\u044f\u0442\u044c";  // Память
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  for (const wchar_t* n : {L"Italiano.lng", L"\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac.lng", L"Fran\u00e7ais.lng"}) {
    HANDLE h = CreateFileW((folder + L"\\" + n).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    const char text[] = "[LABELS]\r\nFreeMem=M\xE9moire \x80\r\n";
    DWORD done = 0;
    WriteFile(h, text, sizeof(text) - 1, &done, nullptr);
    CloseHandle(h);
  }
  EXPECT_EQ(ListLanguageFiles(folder), (Names{"Fran\xE7" "ais.lng", "Italiano.lng"}));
  EXPECT_EQ(ReadProfileString(folder + L"\\Italiano.lng", "LABELS", "FreeMem"), "M\xE9moire \x80");
  for (const std::wstring& n : {folder + L"\\*.lng", folder + L"\\Italiano.lng"}) DeleteFileW(n.c_str());
  WIN32_FIND_DATAW fd{};
  HANDLE f = FindFirstFileW((folder + L"\\*").c_str(), &fd);
  if (f != INVALID_HANDLE_VALUE) {
    do DeleteFileW((folder + L"\\" + fd.cFileName).c_str());
    while (FindNextFileW(f, &fd));
    FindClose(f);
  }
  RemoveDirectoryW(folder.c_str());
}

TEST(LanguageListing, LeavesNoHandleOpen) {
  TTempFolder dir;
  for (const char* n : {"f1.lng", "f2.lng", "f3.lng", "f4.lng", "f5.lng"}) dir.Write(n, "");
  ListLanguageFiles(Widen(dir.Path()));
  // GetProcessHandleCount answers 0 under Wine: each handle value is asked instead.
  const int before = OpenHandles();
  for (int i = 0; i < 50; ++i) {
    ListLanguageFiles(Widen(dir.Path()));
    ListLanguageFiles(Widen(dir / "missing"));
  }
  EXPECT_EQ(OpenHandles(), before);
}

TEST(ProfileReading, SectionsAndKeysInAnyCaseQuotesAndBlanks) {
  TTempFolder dir;
  dir.Write("t.lng",
            "; a comment\r\n"
            "[mainfile]\r\n"
            "defrag=Found\r\n"
            "Abort =   spaced out   \r\n"
            "Quit=\"quoted value\"\r\n"
            "Open='single'\r\n"
            "Close=\"  blanks kept inside quotes  \"\r\n"
            ";Hidden=commented\r\n"
            "[OTHER]\r\n"
            "Defrag=wrong section\r\n");
  const std::string f = dir / "t.lng";
  EXPECT_EQ(ReadProfileString(Widen(f), "MAINFILE", "Defrag"), "Found");
  EXPECT_EQ(ReadProfileString(Widen(f), "MainFile", "ABORT"), "spaced out");
  EXPECT_EQ(ReadProfileString(Widen(f), "MAINFILE", "Quit"), "quoted value");
  EXPECT_EQ(ReadProfileString(Widen(f), "MAINFILE", "Open"), "single");
  EXPECT_EQ(ReadProfileString(Widen(f), "MAINFILE", "Close"), "  blanks kept inside quotes  ");
  EXPECT_EQ(ReadProfileString(Widen(f), "MAINFILE", "Hidden"), "");
  EXPECT_EQ(ReadProfileString(Widen(f), "OTHER", "Defrag"), "wrong section");
}

TEST(ProfileReading, MissingFileSectionOrKeyGivesTheDefault) {
  TTempFolder dir;
  dir.Write("t.lng", "[MAINFILE]\r\nDefrag=x\r\n");
  EXPECT_EQ(ReadProfileString(Widen(dir / "t.lng"), "LABELS", "FreeMem"), "");
  EXPECT_EQ(ReadProfileString(Widen(dir / "t.lng"), "MAINFILE", "Abort"), "");
  EXPECT_EQ(ReadProfileString(Widen(dir / "t.lng"), "MAINFILE", "Abort", "def"), "def");
  EXPECT_EQ(ReadProfileString(Widen(dir / "none.lng"), "MAINFILE", "Defrag"), "");
  EXPECT_EQ(ReadProfileString(Widen(dir.Path()), "MAINFILE", "Defrag"), "") << "a folder";
  EXPECT_EQ(ReadProfileString(Widen(""), "MAINFILE", "Defrag", "def"), "def") << "never the Windows folder's win.ini";
  TProfileFile ini(Widen(dir / "t.lng"));
  EXPECT_EQ(ini.ReadString("MAINFILE", "Defrag"), "x");
}

TEST(ProfileReading, ALongValueIsCutAt2047Characters) {
  TTempFolder dir;
  std::string value;
  for (int i = 0; value.size() < 5000; ++i) value += (char)('a' + i % 26);
  value.resize(5000);
  dir.Write("long.lng", "[MAINFILE]\r\nDefrag=" + value + "\r\nAbort=after\r\n");
  std::string got = ReadProfileString(Widen(dir / "long.lng"), "MAINFILE", "Defrag");
  EXPECT_EQ(got.size(), 2047u);
  EXPECT_EQ(got, value.substr(0, 2047));
  EXPECT_EQ(ReadProfileString(Widen(dir / "long.lng"), "MAINFILE", "Abort"), "after") << "the next key is intact";
  std::string exact(2047, 'q');
  dir.Write("exact.lng", "[S]\r\nK=" + exact + "\r\n");
  EXPECT_EQ(ReadProfileString(Widen(dir / "exact.lng"), "S", "K"), exact);
}

TEST(ProfileReading, TextsKeepTheirAnsiCharacters) {
  TTempFolder dir;
  dir.Write("t.lng", "[LABELS]\r\nFreeMem=M\xE9moire disponible \xE0 \xFC\xDF\x80\r\n");
  EXPECT_EQ(ReadProfileString(Widen(dir / "t.lng"), "LABELS", "FreeMem"), "M\xE9moire disponible \xE0 \xFC\xDF\x80");
}

TEST(ProfileReading, ReadingNeverWritesTheFile) {
  TTempFolder dir;
  const std::string text = "[MAINFILE]\r\nDefrag=x\r\n";
  dir.Write("t.lng", text);
  ReadProfileString(Widen(dir / "t.lng"), "MAINFILE", "Defrag");
  ReadProfileString(Widen(dir / "t.lng"), "NEW", "Key");
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExA((dir / "t.lng").c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.nFileSizeLow, text.size());
}

// ---- the files the program ships ----------------------------------------------------------------

const std::map<std::string, std::vector<std::string>>& AllKeys() {
  static const std::map<std::string, std::vector<std::string>> keys{
      {"FLAG", {"Index"}},
      {"MAINFILE", {"Defrag", "Abort", "Close", "Quit", "Open"}},
      {"LABELS", {"FreeMem", "TotalMem"}},
      {"RADIOGROUP", {"Caption", "Notify", "Execute"}},
      {"MAINSETTINGS", {"Caption", "OnTop", "AutoStart", "Beep"}},
      {"GROUPBOX", {"Caption", "Label"}},
      {"MAINLANGUAGE", {"Caption"}}};
  return keys;
}

// The accelerator letter of a caption (lower case), or 0 when it has none.
char Accelerator(const std::string& caption) { return (char)tolower((unsigned char)AcceleratorOf(caption)); }

TEST(ShippedLanguages, EveryFileHasAllEighteenKeysAndAFlag) {
  const std::set<std::string> flags{"AT", "BE", "CN", "D", "EN", "ES", "FR", "GR", "IT", "JP", "RO", "RU"};
  const std::map<std::string, std::string> flagOf{{"Deutsch.lng", "D"}, {"English.lng", "EN"}, {"Espanol.lng", "ES"},
                                                  {"Francais.lng", "FR"}, {"Italiano.lng", "IT"}};
  for (const std::string& name : ShippedLanguageFiles()) {
    const std::string path = ShippedLanguageFolder() + "\\" + name;
    int keys = 0;
    for (const auto& [section, names] : AllKeys())
      for (const std::string& key : names) {
        ++keys;
        std::string v = ReadProfileString(Widen(path), section, key);
        EXPECT_FALSE(v.empty()) << name << " " << section << "/" << key;
        EXPECT_LE(std::count(v.begin(), v.end(), '&'), 1) << name << " " << section << "/" << key;
      }
    EXPECT_EQ(keys, 18);
    EXPECT_EQ(ReadProfileString(Widen(path), "FLAG", "Index"), flagOf.at(name));
    for (char c : name) EXPECT_TRUE(c > 0 && c < 127) << name << ": plain ASCII file names";
  }
}

TEST(ShippedLanguages, FilesAreWindows1252TextWithWindowsLineEnds) {
  for (const std::string& name : ShippedLanguageFiles()) {
    const std::string bytes = ReadFileBytes(ShippedLanguageFolder() + "\\" + name);
    ASSERT_FALSE(bytes.empty()) << name;
    EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF") << name << ": no byte-order mark";
    for (size_t i = 0; i < bytes.size(); ++i) {
      unsigned char c = bytes[i];
      EXPECT_TRUE(c >= 0x20 || c == '\r' || c == '\n') << name << ": control byte at " << i;
      EXPECT_TRUE(c != 0x81 && c != 0x8D && c != 0x8F && c != 0x90 && c != 0x9D) << name << ": not Windows-1252";
      EXPECT_FALSE(c == 0xC3 && i + 1 < bytes.size() && (unsigned char)bytes[i + 1] >= 0x80)
          << name << ": looks like UTF-8 at " << i;
      if (c == '\n') {
        EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << name << ": bare line feed at " << i;
      }
    }
  }
  EXPECT_EQ(ReadProfileString(Widen(ShippedLanguageFolder() + "\\Deutsch.lng"), "LABELS", "FreeMem"),
            "Verf\xFCgbarer Speicher:");
  EXPECT_EQ(ReadProfileString(Widen(ShippedLanguageFolder() + "\\Francais.lng"), "MAINFILE", "Defrag"), "&D\xE9" "fragmenter");
}

TEST(ShippedLanguages, AcceleratorsAreUniqueInEachMenu) {
  // Menus as the user sees them; File and Help are built in without accelerators.
  const std::vector<std::pair<const char*, std::vector<std::pair<std::string, std::string>>>> menus{
      {"menu bar", {{"MAINLANGUAGE", "Caption"}, {"MAINSETTINGS", "Caption"}}},
      {"File", {{"MAINFILE", "Defrag"}, {"MAINFILE", "Abort"}, {"MAINFILE", "Close"}, {"MAINFILE", "Quit"}}},
      {"Settings",
       {{"MAINSETTINGS", "Beep"}, {"MAINSETTINGS", "AutoStart"}, {"MAINSETTINGS", "OnTop"}, {"MAINSETTINGS", "Notify"},
        {"MAINSETTINGS", "MemoryIcon"}}},
      {"tray popup",
       {{"MAINFILE", "Open"}, {"MAINFILE", "Close"}, {"MAINFILE", "Defrag"}, {"MAINFILE", "Abort"},
        {"MAINSETTINGS", "OnTop"}, {"MAINFILE", "Quit"}}},
      {"buttons", {{"MAINFILE", "Defrag"}, {"MAINFILE", "Abort"}}}};
  for (const std::string& name : ShippedLanguageFiles()) {
    const std::string path = ShippedLanguageFolder() + "\\" + name;
    for (const auto& [menu, entries] : menus) {
      std::set<char> used;
      for (const auto& [section, key] : entries) {
        char a = Accelerator(ReadProfileString(Widen(path), section, key));
        EXPECT_NE(a, 0) << name << " " << section << "/" << key << " has no accelerator";
        EXPECT_TRUE(used.insert(a).second) << name << ": '" << a << "' twice in the " << menu;
      }
    }
  }
}

}  // namespace
