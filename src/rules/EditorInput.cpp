#include "rules/EditorInput.h"

#include "rules/AsciiCase.h"
#include "rules/XtrNames.h"

// The boxes offer only "YES" and "NO", so an ASCII upper-casing is exact here
// and the rule needs no locale.
bool YesNo(std::wstring_view text) noexcept { return EqualsAsciiUpper(text, L"YES"); }

std::wstring_view TypedProgramPath(std::wstring_view text) noexcept {
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"') {
        text.remove_prefix(1);
        text.remove_suffix(1);
    }
    return text;
}

std::wstring TypedFileName(std::wstring_view text) {
    std::wstring name(text);
    if (!name.empty() && !HasXtrExtension(name)) {
        name += L".xtr";
    }
    return name;
}
