// The colour button's helpers: colour arithmetic, the banded gradient, transparent bitmap
// drawing and the button sounds. Colours are 0x00BBGGRR values, or system colours (TColor).
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "framework/Gdi.h"

// The colour (system colours resolved) with delta added to each channel, clamped to 0..255.
COLORREF ShiftColor(TColor c, int delta);
// The grey of (20 red + 50 green + 30 blue) / 100 of the channels as stored, rounded half-even.
COLORREF GrayLevel(TColor c);
// Light when at most one channel of its grey level is below 128.
bool IsLightColor(TColor c);

// A one-pixel three-dimensional ring on the outermost pixels of r: top and left in topLeft (the
// top row short of the top-right corner), right and bottom in bottomRight (both corners
// included); r then shrinks by one pixel on every side.
void Frame3D(HDC dc, RECT& r, COLORREF topLeft, COLORREF bottomRight);

// A gradient through colours (sections + 1 of them) in bands of `band` pixels: direction 0
// stacks horizontal bands top to bottom, 1 places vertical bands left to right. An extent too
// short for its sections (a section length of 0) gets one solid band in the first colour.
void FillGradientBands(HDC dc, const RECT& r, const std::vector<COLORREF>& colours, int sections, int direction,
                       int band);

// The colour utilities' published drawing helper (the buttons keep masked copies instead).
// Draws bmp at (x, y) leaving out every pixel of colour transparent; a negative colour means
// the bitmap's own transparent colour (its bottom-left pixel).
void DrawTransparentBitmap(HDC dc, HBITMAP bmp, int x, int y, int transparent);

// Plays a sound file of that name, else a resource of that name of the type "RT_RCDATA", both
// asynchronously; false, silently, for an empty name, a folder, a name of MAX_PATH or more, or
// nothing found.
bool PlayButtonSound(const std::string& name);
