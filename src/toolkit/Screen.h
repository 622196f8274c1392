#pragma once
// Twips (the classic forms' unit, 1/1440 inch), the screen's dots per inch,
// and fonts sized in points at them.
#include <windows.h>

// Converts twips (1/1440 inch) to pixels at the given dots per inch.
int TwipsToPixels(int twips, int dpi);

// The screen's dots per inch; 96 when it cannot be read.
int ScreenDpi();

// A font of the given size in hundredths of a point (825 is 8.25 points), so
// that the classic form sizes stay exact, at the given dots per inch.
HFONT CreateFormFont(const wchar_t* face, int hundredthPoints, int weight, int dpi);
