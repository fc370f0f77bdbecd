// The benchmarks' clock: seconds from the performance counter.
#pragma once
#include <windows.h>

inline double Now() {
  LARGE_INTEGER c, f;
  QueryPerformanceCounter(&c);
  QueryPerformanceFrequency(&f);
  return double(c.QuadPart) / double(f.QuadPart);
}
