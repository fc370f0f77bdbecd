#include "bench/BenchSupport.h"
#include <cstdio>

TVelmorEnvironment HeadlessEnvironment(TApplication& app) {
  app.OnException = [](TObject*, const std::string& m) { fprintf(stderr, "error: %s\n", m.c_str()); };
  TVelmorEnvironment env;
  env.TaskbarEdge = [](RECT& r) {
    r = RECT{0, 738, 1024, 768};
    return (int)ABE_BOTTOM;
  };
  return env;
}

TMemoryStatus TSwingingMemory::Status() {
  TMemoryStatus s = Win32MemorySystem().Status();
  if (Swing) s.AvailPhys = s.TotalPhys / 100 * (++FSamples % 2 ? 40 : 60);
  return s;
}
