#pragma once
// How the editor reads its YES/NO combo boxes.
#include <string_view>

// True when the text, in upper case, is exactly "YES"; the empty text, "NO"
// and anything else are false.
bool YesNo(std::wstring_view text) noexcept;
