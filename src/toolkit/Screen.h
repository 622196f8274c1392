#pragma once
// Twips (the classic forms' unit, 1/1440 inch), the screen's dots per inch,
// and fonts sized in points at them.
#include <windows.h>

#include <string_view>

// Converts twips (1/1440 inch) to pixels at the given dots per inch.
int TwipsToPixels(int twips, int dpi);

// The screen's dots per inch; 96 when it cannot be read.
int ScreenDpi();

// A font of the given size in hundredths of a point (825 is 8.25 points), so
// that the classic form sizes stay exact, at the given dots per inch.
HFONT CreateFormFont(const wchar_t* face, int hundredthPoints, int weight, int dpi);

// A window's device context (the screen's, for a null window), released by scope.
class WindowDC {
  public:
    explicit WindowDC(HWND window) : window_(window), dc_(::GetDC(window)) {}
    ~WindowDC() {
        if (dc_ != nullptr) {
            ::ReleaseDC(window_, dc_);
        }
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

  private:
    HWND window_;
    HDC dc_;
};

// The rectangle DrawText needs for text in font (DT_CALCRECT with format),
// starting from width wide (words wrap there with DT_WORDBREAK); empty when
// it cannot be measured.
RECT MeasuredText(std::wstring_view text, HFONT font, UINT format, int width = 0);
