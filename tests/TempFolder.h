// A fresh, empty folder under the prefix's temporary folder for one test, removed with all it
// holds when the test ends; plus the language files the program ships, copied beside the test
// program by the build.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

class TTempFolder {
public:
  TTempFolder() {
    static int counter = 0;
    char tmp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, tmp);
    FPath = std::string(tmp) + "velmor-test-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++counter);
    RemoveTree(FPath);
    CreateDirectoryA(FPath.c_str(), nullptr);
  }
  ~TTempFolder() { RemoveTree(FPath); }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  const std::string& Path() const { return FPath; }
  std::string operator/(const std::string& name) const { return FPath + "\\" + name; }

  // Writes the bytes as they are: no line-end or code-page translation.
  void Write(const std::string& name, const std::string& bytes) const {
    HANDLE h = CreateFileA((*this / name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD done = 0;
    WriteFile(h, bytes.data(), (DWORD)bytes.size(), &done, nullptr);
    CloseHandle(h);
  }
  void MakeFolder(const std::string& name) const { CreateDirectoryA((*this / name).c_str(), nullptr); }
  bool SetAttributes(const std::string& name, DWORD attributes) const {
    return SetFileAttributesA((*this / name).c_str(), attributes) &&
           (GetFileAttributesA((*this / name).c_str()) & attributes) == attributes;
  }
  bool Remove(const std::string& name) const { return DeleteFileA((*this / name).c_str()); }
  bool CopyIn(const std::string& from, const std::string& name) const {
    return CopyFileA(from.c_str(), (*this / name).c_str(), FALSE);
  }

private:
  static void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA fd{};
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        std::string n = fd.cFileName;
        if (n == "." || n == "..") continue;
        std::string p = path + "\\" + n;
        SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          RemoveTree(p);
        else
          DeleteFileA(p.c_str());
      } while (FindNextFileA(h, &fd));
      FindClose(h);
    }
    RemoveDirectoryA(path.c_str());
  }
  std::string FPath;
};

// The folder with the shipped language files, beside the test program.
inline std::string ShippedLanguageFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir = path;
  return dir.substr(0, dir.find_last_of("\\/")) + "\\lang";
}

inline const std::vector<std::string>& ShippedLanguageFiles() {
  static const std::vector<std::string> names{"Deutsch.lng", "English.lng", "Espanol.lng", "Francais.lng",
                                              "Italiano.lng"};
  return names;
}
