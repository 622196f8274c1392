#include "toolkit/Screen.h"

#include "system/Win32.h"

int TwipsToPixels(int twips, int dpi) { return ::MulDiv(twips, dpi, 1440); }

int ScreenDpi() {
    const WindowDC screen(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
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

namespace {
struct MemoryDcTraits {
    using Type = HDC;
    static Type Invalid() { return nullptr; }
    static void Close(Type dc) { ::DeleteDC(dc); }
};
} // namespace

RECT MeasuredText(std::wstring_view text, HFONT font, UINT format, int width) {
    RECT rect{0, 0, width, 0};
    const UniqueHandle<MemoryDcTraits> dc(::CreateCompatibleDC(nullptr));
    if (!dc) {
        return rect;
    }
    // The font goes back out before the DC goes, so that both can be freed.
    const HGDIOBJ old = ::SelectObject(dc.get(), font);
    ::DrawTextW(dc.get(), text.data(), static_cast<int>(text.size()), &rect, DT_CALCRECT | format);
    ::SelectObject(dc.get(), old);
    return rect;
}
