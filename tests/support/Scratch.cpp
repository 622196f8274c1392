#include "support/Scratch.h"

#include "host/HostFolder.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>

namespace scratch {

namespace {
[[noreturn]] void Fail(std::wstring_view what, unsigned long code) {
    throw std::runtime_error(ToAnsi(what) + ": " + ToAnsi(SystemErrorText(code)));
}
} // namespace

// Process ids repeat from one run to the next under Wine: the tick count makes the name new.
TempFolder::TempFolder(std::wstring_view prefix) {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + std::wstring(prefix) + L"-" + std::to_wstring(::GetCurrentProcessId()) +
            L"-" + std::to_wstring(counter++) + L"-" + std::to_wstring(::GetTickCount64());
    if (!path_.empty() && path_.back() == L'\\') {
        path_.pop_back();
    }
    if (!::CreateDirectoryW(path_.c_str(), nullptr)) {
        Fail(L"cannot create " + path_, ::GetLastError());
    }
}

TempFolder::~TempFolder() { RemoveTree(path_); }

void RemoveTree(const std::wstring& path) {
    for (const std::wstring& name : NamesIn(path)) {
        const std::wstring child = path + L"\\" + name;
        ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (FolderExists(child)) {
            RemoveTree(child);
        } else {
            ::DeleteFileW(child.c_str());
        }
    }
    ::RemoveDirectoryW(path.c_str());
}

void WriteBytes(const std::wstring& path, std::string_view bytes) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file ||
        !::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
        Fail(L"cannot write " + path, ::GetLastError());
    }
}

std::string ReadBytes(const std::wstring& path) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    if (!file) {
        return bytes;
    }
    char buffer[65536];
    DWORD read = 0;
    while (::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    return bytes;
}

std::vector<std::string> LinesOf(const std::wstring& path) {
    std::vector<std::string> lines;
    const std::string text = ReadBytes(path);
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::vector<std::wstring> NamesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    UniqueFind find(::FindFirstFileW((folder + L"\\*").c_str(), &found));
    for (bool more = static_cast<bool>(find); more; more = ::FindNextFileW(find.get(), &found)) {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool FileExists(const std::wstring& path) { return IsFileAt(path); }

bool FolderExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A key left by an earlier run that ended early (its process id come again) is cleared first.
ScratchRegistry::ScratchRegistry() {
    static std::atomic<int> counter{0};
    scratchPath_ = L"Software\\QuillonScratch\\" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                   std::to_wstring(counter++);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, scratchPath_.c_str());
    HKEY key = nullptr;
    const LSTATUS created = ::RegCreateKeyExW(HKEY_CURRENT_USER, scratchPath_.c_str(), 0, nullptr, 0,
                                              KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (created != ERROR_SUCCESS) {
        Fail(L"cannot create the scratch key", static_cast<unsigned long>(created));
    }
    scratch_.reset(key);
    const LSTATUS mapped = ::RegOverridePredefKey(HKEY_CURRENT_USER, key);
    if (mapped != ERROR_SUCCESS) {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, scratchPath_.c_str());
        Fail(L"cannot map HKEY_CURRENT_USER to the scratch key", static_cast<unsigned long>(mapped));
    }
}

ScratchRegistry::~ScratchRegistry() {
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    scratch_.reset();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, scratchPath_.c_str());
}

void ScratchRegistry::SetHostFolderSetting(const std::wstring& value) {
    HKEY key = nullptr;
    const LSTATUS created = ::RegCreateKeyExW(HKEY_CURRENT_USER, kHostSettingKey, 0, nullptr, 0,
                                              KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (created != ERROR_SUCCESS) {
        Fail(L"cannot create UI-View32's registry key", static_cast<unsigned long>(created));
    }
    const UniqueKey closer(key);
    ::RegSetValueExW(key, kHostSettingValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

} // namespace scratch
