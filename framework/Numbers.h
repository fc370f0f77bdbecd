// Figures as the user's locale writes them: the one place that groups digits in thousands.
#pragma once
#include <cstdint>
#include <string>

// "#,###": the figure with the separator between groups of three digits; 0 is empty.
std::string FormatGrouped(uint64_t v, const std::string& separator);
// The user's locale thousands separator ("," when the locale does not say).
std::string ThousandSeparator();
