// The figures the window, the tooltip and the balloon show: megabytes and kilobytes with the
// user's thousands separator.
#pragma once
#include <cstdint>
#include <string>
#include "framework/Numbers.h"  // FormatGrouped, ThousandSeparator

// The balloon's text after a run: pattern with %1 replaced by the megabytes freed (the rise of
// the available memory, never below 0) and %2 by the megabytes available afterwards, each with
// the thousands separator ("0" for zero). Any other character, "%" included, stays as it is.
std::string RunReport(const std::string& pattern, uint64_t availBefore, uint64_t availAfter,
                      const std::string& separator);

// prefix + " " + KB + " Kb (" + MB + " Mb)".
std::string MemoryLine(const std::string& prefix, uint64_t bytes, const std::string& separator);
std::string MemoryLine(const std::string& prefix, uint64_t bytes);
