// Menu command identifiers that other programs may send to the main window (the end-to-end
// driver does); the remaining items get theirs automatically.
#pragma once

enum TVelmorCommand : unsigned {
  cmDefrag = 40001,   // File > Defrag
  cmAbort = 40002,    // File > Abort
  cmHide = 40003,     // File > Hide to tray
  cmQuit = 40004,     // File > Quit
  cmRestore = 40005,  // tray popup > Restore
  cmReadme = 40006,   // Help > Read me
  cmAbout = 40007,    // Help > About
  cmBeep = 40008,     // Settings > Beep on alarm
  cmAutostart = 40009,  // Settings > start with Windows
  cmOnTop = 40010,    // Settings > always on top
  cmNotify = 40011,   // Settings > notify after a run
  cmMemoryIcon = 40012,  // Settings > memory in the tray icon
  cmLanguageFirst = 41000,  // the Language menu's items, in menu order (up to 1000: 41000..41999)
};
