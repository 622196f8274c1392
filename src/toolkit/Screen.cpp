#include "toolkit/Screen.h"

int TwipsToPixels(int twips, int dpi) { return ::MulDiv(twips, dpi, 1440); }

int ScreenDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) {
        ::ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : 96;
}

HFONT CreateFormFont(const wchar_t* face, int hundredthPoints, int weight, int dpi) {
    LOGFONTW font{};
    font.lfHeight = -::MulDiv(hundredthPoints, dpi, 7200);
    font.lfWeight = weight;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    ::lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
    return ::CreateFontIndirectW(&font);
}
