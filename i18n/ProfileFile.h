// Reading profile (INI-style) text files through the system's own profile functions, so that
// the syntax is exactly the one Windows users know: sections and keys matched without regard to
// case, blanks around values dropped, a pair of quotes around a value removed, ";" comments.
#pragma once
#include <string>

// The longest value a read returns; the buffer holds one more character for the terminator.
constexpr unsigned kProfileValueMax = 2047;

// One key of a profile file, or def when the file, the section or the key is missing. A longer
// value is cut after kProfileValueMax characters. Never fails and never writes the file. The
// file is named by its wide path, so it is found in any folder; its text is the ANSI text it
// holds, byte for byte, as the ANSI profile call would give it.
std::string ReadProfileString(const std::wstring& file, const std::string& section, const std::string& key,
                              const std::string& def = std::string());

// An open profile file: only its name. Opening never fails and checks nothing; each read asks
// the file afresh, one call per key.
class TProfileFile {
public:
  explicit TProfileFile(std::wstring fileName) : FFileName(std::move(fileName)) {}
  const std::wstring& FileName() const { return FFileName; }
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& def = std::string()) const {
    return ReadProfileString(FFileName, section, key, def);
  }

private:
  std::wstring FFileName;
};
