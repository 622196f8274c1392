#include "system/VersionInfo.h"

#include "system/Win32.h"

#include <cwchar>
#include <vector>

std::wstring ReadProgramVersionString(const wchar_t* name) {
    return ReadVersionString(OwnModulePath(), name);
}

std::wstring ReadVersionString(const std::wstring& path, const wchar_t* name) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    std::vector<unsigned char> block(size);
    if (size == 0 || !::GetFileVersionInfoW(path.c_str(), 0, size, block.data())) {
        return {};
    }
    struct LangCodePage {
        WORD language;
        WORD codePage;
    }* translations = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                          reinterpret_cast<void**>(&translations), &length) ||
        length < sizeof(LangCodePage)) {
        return {};
    }
    wchar_t query[128];
    std::swprintf(query, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translations[0].language,
                  translations[0].codePage, name);
    wchar_t* value = nullptr;
    if (!::VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&value), &length) ||
        value == nullptr || length == 0) {
        return {};
    }
    std::wstring text(value, length);
    while (!text.empty() && text.back() == L'\0') {
        text.pop_back();
    }
    return text;
}
