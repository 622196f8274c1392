#include "editor/EditorInput.h"

// The boxes offer only "YES" and "NO", so an ASCII upper-casing is exact here
// and the rule needs no locale.
bool YesNo(std::wstring_view text) noexcept {
    constexpr std::wstring_view kYes = L"YES";
    if (text.size() != kYes.size()) {
        return false;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        const wchar_t upper = (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
        if (upper != kYes[i]) {
            return false;
        }
    }
    return true;
}

std::wstring_view TypedProgramPath(std::wstring_view text) noexcept {
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"') {
        text.remove_prefix(1);
        text.remove_suffix(1);
    }
    return text;
}
