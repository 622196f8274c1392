#include "support/TestSupport.h"

#include "diagnostics/Common.h"
#include "toolkit/Form.h"

#include <gtest/gtest.h>

#include <sddl.h>

#include <algorithm>
#include <cstring>
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

namespace {
// Every message Quillon adds reads as one or two sentences, or one sentence
// and a list after its colon; the program's traditional texts stay as they were.
void ExpectASentence(std::wstring_view text) {
    static constexpr std::wstring_view kKept[] = {
        L"Please use the TAMBER Updater tool to check for new updates", L"Can not locate the UIView32 folder",
        L"folder SavedXTR is created in UIView32 folder", L"An error occurred getting the UIView folder."};
    for (const std::wstring_view kept : kKept) {
        if (text.starts_with(kept)) {
            return;
        }
    }
    const size_t list = std::min(text.find(L":\n"), text.find(L":\r\n"));
    const std::wstring_view sentences = text.substr(0, list);
    EXPECT_TRUE(list != std::wstring_view::npos || sentences.ends_with(L".") || sentences.ends_with(L"?"))
        << "not a sentence: " << ToAnsi(text);
    EXPECT_EQ(text.find(L"  "), std::wstring_view::npos) << "a double blank: " << ToAnsi(text);
}
} // namespace

ModalAnswers::ModalAnswers() {
    Ui::Hooks& hooks = Ui::TestHooks();
    hooks.showMessage = [this](HWND, std::wstring_view text, std::wstring_view title, UINT flags) {
        messages.push_back({std::wstring(text), std::wstring(title), flags});
        ExpectASentence(text);
        if (whileMessageShown) {
            whileMessageShown();
        }
        if (!messageReplies.empty()) {
            const int reply = messageReplies.front();
            messageReplies.pop_front();
            return reply;
        }
        const UINT buttons = flags & MB_TYPEMASK;
        return buttons == MB_YESNO ? IDNO : buttons == MB_YESNOCANCEL ? IDCANCEL : IDOK;
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

namespace {

// Wine's ntdll has this export; Windows' has not.
bool UnderWine() { return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

// Under Wine, the trash of $XDG_DATA_HOME as a Windows path; empty when it is not set.
std::wstring WineTrashFolder() {
    wchar_t unixPath[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(L"XDG_DATA_HOME", unixPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    std::wstring folder = L"Z:" + std::wstring(unixPath, length) + L"/Trash"; // Z: is Wine's Unix root
    std::replace(folder.begin(), folder.end(), L'/', L'\\');
    return folder;
}

// The path with its folder in long names: the bin may record either form.
std::wstring LongForm(const std::wstring& path) {
    const size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos) {
        return path;
    }
    const std::wstring folder = path.substr(0, slash);
    wchar_t buffer[MAX_PATH * 2];
    const DWORD length = ::GetLongPathNameW(folder.c_str(), buffer, MAX_PATH * 2);
    if (length == 0 || length >= MAX_PATH * 2) {
        return path;
    }
    return std::wstring(buffer, length) + path.substr(slash);
}

// The user's folder of the drive's bin, <drive>\$Recycle.Bin\<user's SID>.
std::wstring WindowsBinFolder(const std::wstring& path) {
    wchar_t root[MAX_PATH];
    HANDLE token = nullptr;
    if (!::GetVolumePathNameW(path.c_str(), root, MAX_PATH) ||
        !::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return {};
    }
    const UniqueFile owned(token); // closed by CloseHandle, as a file is
    alignas(TOKEN_USER) unsigned char user[SECURITY_MAX_SID_SIZE + sizeof(TOKEN_USER)];
    DWORD size = 0;
    wchar_t* sid = nullptr;
    if (!::GetTokenInformation(token, TokenUser, user, sizeof(user), &size) ||
        !::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &sid)) {
        return {};
    }
    std::wstring folder = std::wstring(root) + L"$Recycle.Bin\\" + sid;
    ::LocalFree(sid);
    return folder;
}

// The original path a $I file of the bin records (Windows Vista and later):
// version 1 holds it in a fixed field after 24 bytes, version 2 after 28
// bytes and a length.
std::wstring RecordedPath(const std::string& record) {
    if (record.size() < 28) {
        return {};
    }
    const size_t at = record[0] == 2 ? 28 : 24;
    std::wstring text((record.size() - at) / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), record.data() + at, text.size() * sizeof(wchar_t));
    return text.substr(0, text.find(L'\0'));
}

// The bytes of a file the bin holds, taken out of the bin with the record of where it came from.
std::string TakeOut(const std::wstring& file, const std::wstring& record) {
    std::string bytes = ReadBytes(file);
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(file.c_str());
    ::DeleteFileW(record.c_str());
    return bytes;
}

} // namespace

// ctest runs two test programs at a time, and both bin into the one trash of
// the build tree: a view never empties it, and takes only what came from the
// path asked for.
RecycleBinView::RecycleBinView() : wine_(UnderWine()), trash_(wine_ ? WineTrashFolder() : std::wstring()) {}

std::optional<std::string> RecycleBinView::Take(const std::wstring& path) const {
    if (wine_) {
        // The desktop's trash keeps the file under its own name (a second one of
        // that name with a number: "a.xtr.2"), and a note of where it was.
        if (trash_.empty()) {
            return std::nullopt;
        }
        // The note records the Unix path: it ends in the test's own folder and the file's name.
        const std::wstring name(FileNameOf(path));
        const std::wstring folder(FileNameOf(FolderOf(path)));
        std::string tail(1, '/');
        tail.append(ToAnsi(folder)).append(1, '/').append(ToAnsi(name));
        std::wstring kept;
        for (const std::wstring& held : NamesIn(trash_ + L"\\files")) {
            if (held != name && held.rfind(name + L".", 0) != 0) {
                continue;
            }
            const std::string note = ReadBytes(trash_ + L"\\info\\" + held + L".trashinfo");
            const std::string_view recorded =
                std::string_view(note).substr(0, note.find('\n', note.find("Path=")));
            if (recorded.ends_with(tail)) {
                kept = held;
                break;
            }
        }
        if (kept.empty()) {
            return std::nullopt;
        }
        return TakeOut(trash_ + L"\\files\\" + kept, trash_ + L"\\info\\" + kept + L".trashinfo");
    }
    // Windows keeps the file as $R<key><extension> beside $I<key><extension>,
    // which records where it came from.
    const std::wstring folder = WindowsBinFolder(path);
    if (folder.empty()) {
        return std::nullopt;
    }
    const std::wstring wanted = LongForm(path);
    for (const std::wstring& name : NamesIn(folder)) {
        const std::wstring record = folder + L"\\" + name;
        if (name.starts_with(L"$I") &&
            EqualsIgnoringCase(LongForm(RecordedPath(ReadBytes(record))), wanted)) {
            return TakeOut(folder + L"\\$R" + name.substr(2), record);
        }
    }
    return std::nullopt;
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
    const UniqueScreenDC screen(::GetDC(nullptr));
    return ::GetDeviceCaps(screen.get(), axis);
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
