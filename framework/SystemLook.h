// When a widget of the program's own look gives way to the user's colour scheme. The painted
// menus, the tray menu's margin, the colour buttons and the effect labels keep their own colours
// only while the user has no high-contrast scheme on and every text they draw in a colour the
// scheme chose still stands out from the background they draw it on; otherwise they draw in
// the system's colours, plainly. Each widget asks this one decision.
#pragma once
#include <windows.h>
#include <initializer_list>

// The contrast of two colours as WCAG 2 measures it: (L1 + 0.05) / (L2 + 0.05) of their
// relative luminances, from 1 (the same) to 21 (black on white).
double ContrastRatio(COLORREF a, COLORREF b);
// What text needs against its background to read: WCAG's 4.5:1.
constexpr double kReadableContrast = 4.5;

// A text colour and the background it is drawn on.
struct TTextOn {
  COLORREF Text, Back;
};

// The user's high-contrast scheme is on (SPI_GETHIGHCONTRAST, asked through ask).
bool HighContrastOn(BOOL(WINAPI* ask)(UINT, UINT, PVOID, UINT) = SystemParametersInfoA);

// The decision: the system's colours with high contrast on, or when any of the pairs a widget
// would draw (those the scheme's colours take part in) falls below kReadableContrast.
bool UseSystemLook(bool highContrast, std::initializer_list<TTextOn> schemePairs);
