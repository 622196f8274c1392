#include "support/TestSupport.h"

#include "common/Common.h"
#include "common/VersionInfo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

namespace testsupport {

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"QuillonTest-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            std::to_wstring(counter++) + L"-" + std::to_wstring(::GetTickCount64());
    if (!path_.empty() && path_.back() == L'\\') {
        path_.pop_back();
    }
    ::CreateDirectoryW(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() { RemoveTree(path_); }

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    UniqueFind find(::FindFirstFileW((path + L"\\*").c_str(), &found));
    if (find) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring child = path + L"\\" + name;
            ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                ::DeleteFileW(child.c_str());
            }
        } while (::FindNextFileW(find.get(), &found));
    }
    find.reset();
    ::RemoveDirectoryW(path.c_str());
}

void WriteBytes(const std::wstring& path, std::string_view bytes) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(static_cast<bool>(file)) << "cannot create test file, error " << ::GetLastError();
    DWORD written = 0;
    ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
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

std::string AnsiBytes(std::wstring_view text) {
    const int length = static_cast<int>(text.size());
    const int size = ::WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::wstring AnsiText(std::string_view bytes) {
    const int length = static_cast<int>(bytes.size());
    const int size = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    std::wstring text(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, text.data(), size);
    return text;
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

bool FileExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

ScratchRegistry::ScratchRegistry() {
    static std::atomic<int> counter{0};
    scratchPath_ = L"Software\\QuillonTests\\" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                   std::to_wstring(counter++);
    ::RegCreateKeyExW(HKEY_CURRENT_USER, scratchPath_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &scratch_, nullptr);
    EXPECT_NE(scratch_, nullptr);
    EXPECT_EQ(::RegOverridePredefKey(HKEY_CURRENT_USER, scratch_), ERROR_SUCCESS);
}

ScratchRegistry::~ScratchRegistry() {
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    ::RegCloseKey(scratch_);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, scratchPath_.c_str());
}

void ScratchRegistry::SetHostFolderSetting(const std::wstring& value) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER,
                                L"Software\\VB and VBA Program Settings\\Peak Systems\\UI-View32", 0, nullptr,
                                0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExW(key, L"Program Folder", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
}

ModalAnswers::ModalAnswers() {
    Ui::Hooks& hooks = Ui::TestHooks();
    hooks.showMessage = [this](HWND, std::wstring_view text, std::wstring_view title, UINT flags) {
        messages.push_back({std::wstring(text), std::wstring(title), flags});
        if (whileMessageShown) {
            whileMessageShown();
        }
        if (!messageReplies.empty()) {
            const int reply = messageReplies.front();
            messageReplies.pop_front();
            return reply;
        }
        return (flags & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
    };
    hooks.showPopupMenu = [this](HMENU menu, int, int, HWND) -> UINT {
        ++popupCount;
        popupItems.clear();
        const int count = ::GetMenuItemCount(menu);
        for (int i = 0; i < count; ++i) {
            wchar_t caption[128] = L"";
            ::GetMenuStringW(menu, static_cast<UINT>(i), caption, 128, MF_BYPOSITION);
            const UINT state = ::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
            popupItems.emplace_back(caption, !(state & (MF_GRAYED | MF_DISABLED)));
        }
        return popupChoice;
    };
    hooks.chooseFileToOpen = [this](const Ui::OpenFileRequest& request) -> std::optional<std::wstring> {
        fileRequests.push_back(request);
        if (fileReplies.empty()) {
            return std::nullopt;
        }
        std::optional<std::wstring> reply = fileReplies.front();
        fileReplies.pop_front();
        return reply;
    };
    hooks.executeShell = [this](const Ui::ShellRequest& request) -> INT_PTR {
        shellRequests.push_back(request);
        return 42; // as the shell answers success
    };
    hooks.programVersionString = [this](const wchar_t* name) {
        const auto answer = versionStrings.find(name);
        return answer != versionStrings.end() ? answer->second : ReadProgramVersionString(name);
    };
}

ModalAnswers::~ModalAnswers() { Ui::TestHooks() = {}; }

LogCapture::LogCapture() { Common::ErrorLogPathname = Path(); }

std::wstring LogCapture::Path() const { return folder_ / L"ErrorLog.txt"; }

std::string LogCapture::Text() const { return ReadBytes(Path()); }

std::vector<std::string> LogCapture::Lines() const {
    std::vector<std::string> lines;
    const std::string text = Text();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::vector<std::string> LogCapture::Reports() const {
    std::vector<std::string> reports;
    const std::string marker = " > program error ";
    for (const std::string& line : Lines()) {
        const size_t at = line.find(marker);
        if (at != std::string::npos) {
            reports.push_back(line.substr(at + marker.size()));
        }
    }
    return reports;
}

std::wstring TestTrashFolder() {
    wchar_t unixPath[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(L"XDG_DATA_HOME", unixPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    std::wstring folder = L"Z:" + std::wstring(unixPath, length) + L"/Trash"; // Z: is Wine's Unix root
    std::replace(folder.begin(), folder.end(), L'/', L'\\');
    return folder;
}

std::wstring ShownText(HWND window) {
    wchar_t text[512] = L"";
    ::GetWindowTextW(window, text, 512);
    return text;
}

void PumpMessages(int rounds) {
    MSG message;
    for (int i = 0; i < rounds; ++i) {
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                continue;
            }
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
}

} // namespace testsupport
