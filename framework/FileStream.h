// A file opened for reading, shared with readers but not writers, closed with its object.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include "framework/Handles.h"

class TFileStream {
public:
  // Raises "Cannot open file <path>" when the file cannot be opened for reading: missing,
  // a folder, refused, or held by a writer.
  explicit TFileStream(const std::wstring& path);

  // Reads up to count bytes into buf; done receives how many came. False on a read error.
  // Never writes past buf + count.
  bool Read(void* buf, uint32_t count, uint32_t& done);
  // The rest of the file, but never more than limit bytes; raises "Failed to Load Stream" when
  // a read fails.
  std::string ReadAll(size_t limit = (size_t)-1);

private:
  THandle FHandle;
};
