#include "Outside.h"

#include "BenchFolder.h"
#include "host/HostFolder.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>

namespace {
constexpr double kWindowTimeoutMs = 10000;
constexpr UINT kAnswerTimeoutMs = 120000; // a command at many thousand files may take a while
constexpr size_t kTextChars = 1024;

bool KeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    const bool exists = ::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
    UniqueKey closer(key);
    return exists;
}

struct Search {
    int rows = 0;
    HWND ready = nullptr;  // a visible window whose list holds every row
    HWND dialog = nullptr; // a visible message box: the start-up asked something
};

BOOL CALLBACK InspectWindow(HWND window, LPARAM context) {
    Search& search = *reinterpret_cast<Search*>(context);
    if (!::IsWindowVisible(window)) {
        return TRUE;
    }
    wchar_t className[64] = L"";
    ::GetClassNameW(window, className, 64);
    if (std::wstring(className) == L"#32770") {
        search.dialog = window;
        return FALSE;
    }
    HWND list = ::FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr);
    DWORD_PTR rows = 0;
    // Answered once the program's thread takes messages again, so a paint under way ends first.
    if (list != nullptr &&
        ::SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 1000, &rows) != 0 &&
        rows == static_cast<DWORD_PTR>(search.rows)) {
        search.ready = window;
        return FALSE;
    }
    return TRUE;
}

struct ClassSearch {
    const wchar_t* className;
    HWND found = nullptr;
};

BOOL CALLBACK FindVisibleOfClass(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<ClassSearch*>(context);
    wchar_t className[64] = L"";
    if (::IsWindowVisible(window) && ::GetClassNameW(window, className, 64) > 0 &&
        std::wcscmp(className, search.className) == 0) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindUnpainted(HWND window, LPARAM unpainted) {
    if (::IsWindowVisible(window) && ::GetUpdateRect(window, nullptr, FALSE)) {
        *reinterpret_cast<bool*>(unpainted) = true;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindUnpaintedTopLevel(HWND window, LPARAM unpainted) {
    if (!::IsWindowVisible(window)) {
        return TRUE;
    }
    FindUnpainted(window, unpainted);
    ::EnumChildWindows(window, &FindUnpainted, unpainted);
    return *reinterpret_cast<bool*>(unpainted) ? FALSE : TRUE;
}
} // namespace

void Fail(const std::wstring& what) { throw BenchFailure{what}; }

double Median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    const size_t middle = samples.size() / 2;
    return samples.size() % 2 != 0 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

std::wstring BesideBench(const wchar_t* relative) {
    std::wstring path = OwnModulePath();
    path.resize(path.find_last_of(L'\\') + 1);
    return path + relative;
}

HostSetting::HostSetting(const std::wstring& folder) {
    DWORD bytes = 0;
    if (::RegGetValueW(HKEY_CURRENT_USER, kHostSettingKey, kHostSettingValue, RRF_RT_REG_SZ, nullptr, nullptr,
                       &bytes) == ERROR_SUCCESS) {
        std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
        if (::RegGetValueW(HKEY_CURRENT_USER, kHostSettingKey, kHostSettingValue, RRF_RT_REG_SZ, nullptr,
                           value.data(), &bytes) == ERROR_SUCCESS) {
            value.resize(wcsnlen(value.c_str(), bytes / sizeof(wchar_t)));
            previous_ = value;
        }
    }
    // The outermost key of the path that is not there yet goes again afterwards.
    const std::wstring path = kHostSettingKey;
    size_t end = 0;
    do {
        end = path.find(L'\\', end + 1);
        if (!KeyExists(path.substr(0, end))) {
            createdKey_ = path.substr(0, end);
            break;
        }
    } while (end != std::wstring::npos);
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kHostSettingKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                          nullptr) != ERROR_SUCCESS) {
        Fail(L"cannot open UI-View32's registry key");
    }
    key_.reset(key);
    Set(folder);
}

HostSetting::~HostSetting() {
    if (previous_) {
        Set(*previous_);
        return;
    }
    ::RegDeleteValueW(key_.get(), kHostSettingValue);
    key_.reset();
    if (!createdKey_.empty()) {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, createdKey_.c_str());
    }
}

void HostSetting::Set(const std::wstring& value) {
    ::RegSetValueExW(key_.get(), kHostSettingValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

Started Start(const std::wstring& exe, int rows) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    const double start = Now();
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        Fail(L"cannot start " + exe + L": " + SystemErrorText(::GetLastError()));
    }
    Started started;
    started.process.reset(process.hProcess);
    started.thread.reset(process.hThread);
    started.threadId = process.dwThreadId;
    Search search;
    search.rows = rows;
    double elapsed = 0;
    for (;;) {
        // Only the started thread's windows: fewer questions to the Wine server while it starts.
        ::EnumThreadWindows(process.dwThreadId, &InspectWindow, reinterpret_cast<LPARAM>(&search));
        elapsed = Now() - start;
        if (search.ready != nullptr) {
            break;
        }
        if (search.dialog != nullptr) {
            ::TerminateProcess(process.hProcess, 1);
            Fail(exe + L" showed a message box while starting");
        }
        if (::WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
            Fail(exe + L" ended before it showed its list");
        }
        if (elapsed > kWindowTimeoutMs) {
            ::TerminateProcess(process.hProcess, 1);
            Fail(L"no window with " + std::to_wstring(rows) + L" rows from " + exe + L" within 10 s");
        }
        ::Sleep(1);
    }
    started.window = search.ready;
    started.ms = elapsed;
    return started;
}

void Close(Started& started) {
    ::PostMessageW(started.window, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(started.process.get(), 20000) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "bench: a program did not close; ended it\n");
        ::TerminateProcess(started.process.get(), 1);
        ::WaitForSingleObject(started.process.get(), 5000);
    }
}

HWND VisibleWindowOf(DWORD threadId, const wchar_t* className) {
    ClassSearch search{className};
    ::EnumThreadWindows(threadId, &FindVisibleOfClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring TextOf(HWND window) {
    wchar_t text[kTextChars] = L"";
    DWORD_PTR copied = 0;
    if (::SendMessageTimeoutW(window, WM_GETTEXT, kTextChars, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                              kAnswerTimeoutMs, &copied) == 0) {
        Fail(L"a window did not tell its text within two minutes");
    }
    return std::wstring(text, std::min<size_t>(copied, kTextChars - 1));
}

bool AllPainted(DWORD threadId) {
    bool unpainted = false;
    ::EnumThreadWindows(threadId, &FindUnpaintedTopLevel, reinterpret_cast<LPARAM>(&unpainted));
    return !unpainted;
}

RemoteList::RemoteList(HWND list, HANDLE process) : list_(list), process_(process) {
    remote_ = ::VirtualAllocEx(process, nullptr, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t),
                               MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (remote_ == nullptr) {
        Fail(L"no memory in the program for reading its list: " + SystemErrorText(::GetLastError()));
    }
}

RemoteList::~RemoteList() { ::VirtualFreeEx(process_, remote_, 0, MEM_RELEASE); }

LRESULT RemoteList::Ask(UINT message, WPARAM wParam, const LVITEMW* item) const {
    if (item != nullptr && !::WriteProcessMemory(process_, remote_, item, sizeof(*item), nullptr)) {
        Fail(L"cannot write into the program's memory: " + SystemErrorText(::GetLastError()));
    }
    DWORD_PTR result = 0;
    if (::SendMessageTimeoutW(list_, message, wParam, item != nullptr ? reinterpret_cast<LPARAM>(remote_) : 0,
                              SMTO_NORMAL, kAnswerTimeoutMs, &result) == 0) {
        Fail(L"the list did not answer within two minutes");
    }
    return static_cast<LRESULT>(result);
}

int RemoteList::Count() const { return static_cast<int>(Ask(LVM_GETITEMCOUNT, 0, nullptr)); }

int RemoteList::Focused() const {
    DWORD_PTR item = 0;
    if (::SendMessageTimeoutW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED, SMTO_NORMAL,
                              kAnswerTimeoutMs, &item) == 0) {
        Fail(L"the list did not answer within two minutes");
    }
    return static_cast<int>(static_cast<LPARAM>(item));
}

std::wstring RemoteList::Cell(int item, int column) const {
    LVITEMW request{};
    request.iSubItem = column;
    request.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote_) + sizeof(LVITEMW));
    request.cchTextMax = static_cast<int>(kTextChars);
    const size_t copied = static_cast<size_t>(Ask(LVM_GETITEMTEXTW, static_cast<WPARAM>(item), &request));
    std::wstring text(std::min(copied, kTextChars - 1), L'\0');
    if (!::ReadProcessMemory(process_, request.pszText, text.data(), text.size() * sizeof(wchar_t),
                             nullptr)) {
        Fail(L"cannot read the program's memory: " + SystemErrorText(::GetLastError()));
    }
    return text;
}

void RemoteList::Select(int item) const {
    LVITEMW request{};
    request.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
    request.state = LVIS_FOCUSED | LVIS_SELECTED;
    Ask(LVM_SETITEMSTATE, static_cast<WPARAM>(item), &request);
}
