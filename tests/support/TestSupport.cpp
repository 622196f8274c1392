#include "support/TestSupport.h"

#include "diagnostics/Common.h"
#include "system/VersionInfo.h"

#include <algorithm>
#include <cwctype>

namespace testsupport {

UniqueFile HoldOpen(const std::wstring& path) {
    return UniqueFile(
        ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
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
    hooks.describeAccessibleItem = [this](HWND window, long child, std::wstring_view text) {
        descriptions.push_back({window, child, std::wstring(text)});
        return true;
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

std::vector<std::string> LogCapture::Lines() const { return LinesOf(Path()); }

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
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring WithoutAccessKey(std::wstring caption) {
    std::erase(caption, L'&');
    return caption;
}

wchar_t AccessKeyOf(std::wstring_view caption) {
    const size_t mark = caption.find(L'&');
    return mark + 1 < caption.size() && mark != caption.npos
               ? static_cast<wchar_t>(std::towupper(caption[mark + 1]))
               : 0;
}

RECT PlacedIn(HWND window, HWND control) {
    RECT rect;
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

int SystemDpi(int axis) {
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, axis);
    ::ReleaseDC(nullptr, screen);
    return dpi;
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
