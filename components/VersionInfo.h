// The version text: one field of an executable's version resource, with a prefix, as the
// version label and the version caption both build it.
#pragma once
#include <string>

// The rows of the version table. The caption component's name for the same enumeration is
// TOvVersionResources.
enum TVersionResources {
  vrCompanyName,
  vrFileDescription,
  vrFileVersion,
  vrInternalName,
  vrLegalCopyright,
  vrOriginalFilename,
  vrProductName,
  vrProductVersion,
  vrComments,
  vrFlags,
};
using TOvVersionResources = TVersionResources;

struct TVersionRow {
  const char* Key;     // looked up in the string table
  const char* Prefix;  // what selecting the row puts in InfoPrefix
};
extern const TVersionRow VersionTable[10];

// Status texts, which stand in for a value.
extern const char* const sNoDataAvailable;       // no version resource at all
extern const char* const sErrorVersionInfo;      // unreadable, or the key is not there
extern const char* const sErrorTranslationInfo;  // "-1" and no translation listed
extern const char* const sNoVersionInfo;         // the key is there, its value empty

// The five properties both components publish and the build of the text from them. The
// resource is read afresh at every build, from exePath (empty: the running executable).
class TVersionText {
public:
  explicit TVersionText(std::wstring exePath);
  virtual ~TVersionText() = default;

  TVersionResources VersionResource() const { return FVersionResource; }
  // Always acts: the row's key, then the row's prefix.
  void SetVersionResource(TVersionResources v);
  const std::string& VersionResourceKey() const { return FVersionResourceKey; }
  // A new key also becomes the prefix.
  void SetVersionResourceKey(const std::string& v);
  const std::string& InfoPrefix() const { return FInfoPrefix; }
  void SetInfoPrefix(const std::string& v);
  bool ShowInfoPrefix() const { return FShowInfoPrefix; }
  void SetShowInfoPrefix(bool v);
  // Eight hex digits, language then code page ("041004E4"), or "-1" for the resource's first
  // translation; the first build that finds one keeps its digits here.
  const std::string& LangCharset() const { return FLangCharset; }
  void SetLangCharset(const std::string& v);

  // The prefix (when shown), a blank, and the value or a status text.
  std::string BuildVersionText();

protected:
  // After every property change that took effect.
  virtual void VersionChanged() {}

private:
  std::string ReadValue();
  std::wstring FExePath;
  TVersionResources FVersionResource = vrFileVersion;
  std::string FVersionResourceKey;
  std::string FInfoPrefix;
  bool FShowInfoPrefix = false;
  std::string FLangCharset;
};
