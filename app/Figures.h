// The figures the window, the tooltip and the balloon show: megabytes and kilobytes with the
// user's thousands separator.
#pragma once
#include <cstdint>
#include <string>
#include "framework/Numbers.h"  // FormatGrouped, ThousandSeparator

// The balloon's text after a run: pattern with %1 replaced by the megabytes freed (the rise of
// the available memory, never below 0) and %2 by the megabytes available afterwards, each with
// the thousands separator ("0" for zero), and "%%" by one "%". Any other character, a lone "%"
// included, stays as it is.
std::string RunReport(const std::string& pattern, uint64_t availBefore, uint64_t availAfter,
                      const std::string& separator);
// The balloon's text after a run the system refused memory: as RunReport, with %1 the megabytes
// the run held when it was refused (one per block).
std::string RefusalReport(const std::string& pattern, int blocksHeld, uint64_t availAfter,
                          const std::string& separator);

// prefix + " " + KB + " Kb (" + MB + " Mb)".
std::string MemoryLine(const std::string& prefix, uint64_t bytes, const std::string& separator);
std::string MemoryLine(const std::string& prefix, uint64_t bytes);

// The share of physical memory in use (total - available), in whole percent rounded to the
// nearest: 0 to 100, and 0 when the total is 0 or no less than the available figure.
int InUsePercent(uint64_t total, uint64_t avail);
