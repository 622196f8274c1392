#pragma once
// Letter case of ASCII letters only: exact for the words the program spells
// in ASCII ("TRUE", "YES", "CON", ".XTR"), and the same in every locale.
#include <string_view>

inline wchar_t AsciiUpper(wchar_t c) {
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

// text, its ASCII letters in upper case, is exactly upper (given in upper case).
inline bool EqualsAsciiUpper(std::wstring_view text, std::wstring_view upper) noexcept {
    if (text.size() != upper.size()) {
        return false;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        if (AsciiUpper(text[i]) != upper[i]) {
            return false;
        }
    }
    return true;
}
