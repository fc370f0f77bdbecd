// One copy per user session: the first start holds a named mutex in the session's namespace;
// a later start finds it, brings the running copy's window up and ends.
#pragma once
#include <windows.h>
#include "framework/Handles.h"

// The mutex of one running copy, held for the process's lifetime.
class TSingleInstance {
public:
  // name: a kernel object name, "Local\\Velmor" for the program.
  explicit TSingleInstance(const wchar_t* name);

  // Another copy of this user holds the name. A copy of another user in the same session holds
  // one this user may not open: that does not count, and this copy runs on its own.
  bool AnotherIsRunning() const { return FAnother; }

private:
  THandle FMutex;
  bool FAnother = false;
};

// Brings the running copy's main window (class "TfrmVelmor") to the front as its Restore
// command does. Waits at most limitMs for a copy still starting to make its window; false when
// none was found.
bool RestoreRunningCopy(DWORD limitMs = 4000);
