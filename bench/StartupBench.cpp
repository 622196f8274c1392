// Times Quillon's start-up as a user sees it, against a bare window holding a
// ListView: from just before CreateProcess until the program's main window is
// visible and its list holds every row. Quillon reads a temporary UI-View32
// folder of 30 XTR files, through UI-View32's real registry setting (the
// started program is another process, so a scratch key would not reach it);
// the setting is put back afterwards. Then F5 held down on a list of 3,000
// files: how soon after the last press the window takes input again, against the
// time of one refresh. Run it in a Wine prefix of its own.
#include "BenchFolder.h"
#include "host/HostFolder.h"
#include "system/Win32.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>
#include <vector>

namespace {
constexpr int kXtrFiles = 30;
constexpr int kRefreshFiles = 3000;
constexpr int kKeyRepeats = 60; // two seconds of key repeat
constexpr double kKeyRepeatMs = 33;
constexpr int kMinSamples = 10;
constexpr int kDefaultSamples = 20;
constexpr double kWindowTimeoutMs = 10000;

// Thrown rather than exiting at once, so that the registry setting and the folder are put back.
struct BenchFailure {
    std::wstring what;
};

[[noreturn]] void Fail(const std::wstring& what) { throw BenchFailure{what}; }

bool KeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    const bool exists = ::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
    UniqueKey closer(key);
    return exists;
}

// UI-View32's folder setting pointed at the bench's folder while it lives; the
// value it had (or its absence) comes back afterwards.
class HostSetting {
  public:
    explicit HostSetting(const std::wstring& folder) {
        DWORD bytes = 0;
        if (::RegGetValueW(HKEY_CURRENT_USER, kHostSettingKey, kHostSettingValue, RRF_RT_REG_SZ, nullptr,
                           nullptr, &bytes) == ERROR_SUCCESS) {
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
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, kHostSettingKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr) != ERROR_SUCCESS) {
            Fail(L"cannot open UI-View32's registry key");
        }
        key_.reset(key);
        Set(folder);
    }
    ~HostSetting() {
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
    HostSetting(const HostSetting&) = delete;
    HostSetting& operator=(const HostSetting&) = delete;

  private:
    void Set(const std::wstring& value) {
        ::RegSetValueExW(key_.get(), kHostSettingValue, 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }

    UniqueKey key_;
    std::wstring createdKey_; // empty when the whole path was there
    std::optional<std::wstring> previous_;
};

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

// A program started and showing its full list.
struct Started {
    UniqueFile process;
    UniqueFile thread;
    HWND window = nullptr;
    double ms = 0; // from just before CreateProcess until the list was full
};

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
    if (::WaitForSingleObject(started.process.get(), 5000) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "start-up bench: a program did not close; ended it\n");
        ::TerminateProcess(started.process.get(), 1);
        ::WaitForSingleObject(started.process.get(), 5000);
    }
}

// Milliseconds from just before CreateProcess until the program shows its full list.
double TimeStart(const std::wstring& exe) {
    Started started = Start(exe, kXtrFiles);
    Close(started);
    return started.ms;
}

// F5 pressed presses times, kKeyRepeatMs apart, as a held key repeats, on the
// main window (1 press: one refresh). Milliseconds from the last press until
// the window has handled everything sent before: a Down key sent to the list
// after the last press moves its current row only then.
double TimeRefresh(const Started& started, int presses) {
    HWND list = ::FindWindowExW(started.window, nullptr, WC_LISTVIEWW, nullptr);
    auto focused = [list] {
        DWORD_PTR item = 0;
        ::SendMessageTimeoutW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED, SMTO_NORMAL,
                              120000, &item);
        return static_cast<int>(static_cast<LPARAM>(item));
    };
    const int before = focused();
    double lastPress = 0;
    for (int sent = 0; sent < presses; ++sent) {
        if (sent > 0) {
            ::Sleep(static_cast<DWORD>(kKeyRepeatMs));
        }
        ::PostMessageW(started.window, WM_KEYDOWN, VK_F5, 0x003F0001);
        ::PostMessageW(started.window, WM_KEYUP, VK_F5, 0xC03F0001);
        lastPress = Now();
    }
    ::PostMessageW(list, WM_KEYDOWN, VK_DOWN, 0x00500001);
    while (focused() == before) {
        if (Now() - lastPress > 120000) {
            Fail(L"the window did not take input again within two minutes of the last F5");
        }
        ::Sleep(1);
    }
    const double ms = Now() - lastPress;
    ::PostMessageW(list, WM_KEYDOWN, VK_UP, 0x00480001); // back where it was
    return ms;
}

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
} // namespace

// quillon_startup_bench [samples [Quillon.exe [bare.exe]]]; by default 20
// samples (10 at least) of the Quillon.exe and quillon_bare_list.exe of this
// build tree.
int wmain(int argc, wchar_t** argv) {
    const int samples = argc > 1 ? std::max(kMinSamples, _wtoi(argv[1])) : kDefaultSamples;
    const std::wstring quillon = argc > 2 ? argv[2] : BesideBench(L"..\\Quillon.exe");
    const std::wstring bare = argc > 3 ? argv[3] : BesideBench(L"quillon_bare_list.exe");

    std::vector<double> quillonMs, bareMs;
    double oneRefreshMs = 0, heldRefreshMs = 0;
    try {
        const HostFolderFixture folder(kXtrFiles, L"QuillonStartup");
        HostSetting setting(folder.host + L"\\");
        TimeStart(quillon); // the warm-up: files and DLLs into the caches
        TimeStart(bare);
        for (int i = 0; i < samples; ++i) {
            quillonMs.push_back(TimeStart(quillon));
            bareMs.push_back(TimeStart(bare));
        }
        const HostFolderFixture many(kRefreshFiles, L"QuillonRefresh");
        HostSetting manySetting(many.host + L"\\");
        Started started = Start(quillon, kRefreshFiles);
        oneRefreshMs = TimeRefresh(started, 1);
        heldRefreshMs = TimeRefresh(started, kKeyRepeats);
        Close(started);
    } catch (const BenchFailure& failure) {
        std::fprintf(stderr, "start-up bench: %ls\n", failure.what.c_str());
        return 1;
    } catch (const std::exception& failure) { // the folder could not be made
        std::fprintf(stderr, "start-up bench: %s\n", failure.what());
        return 1;
    }

    const double quillonMedian = Median(quillonMs);
    const double bareMedian = Median(bareMs);
    // Each pair ran back to back, under the same load: their ratios hold when the machine's speed drifts.
    std::vector<double> pairRatios;
    for (int i = 0; i < samples; ++i) {
        pairRatios.push_back(quillonMs[static_cast<size_t>(i)] / bareMs[static_cast<size_t>(i)]);
    }
    std::printf("start-up ms: Quillon %.1f (median of %d), bare %.1f, ratio %.2f\n", quillonMedian, samples,
                bareMedian, quillonMedian / bareMedian);
    std::printf("  median of the pair ratios %.2f; range ms: Quillon %.1f to %.1f, bare %.1f to %.1f\n",
                Median(pairRatios), *std::min_element(quillonMs.begin(), quillonMs.end()),
                *std::max_element(quillonMs.begin(), quillonMs.end()),
                *std::min_element(bareMs.begin(), bareMs.end()),
                *std::max_element(bareMs.begin(), bareMs.end()));
    std::printf("F5 held down at %d files: %d presses in %.1f s; the window takes input again %.0f ms after "
                "the last, %.2f times one refresh (%.0f ms)\n",
                kRefreshFiles, kKeyRepeats, (kKeyRepeats - 1) * kKeyRepeatMs / 1000, heldRefreshMs,
                heldRefreshMs / oneRefreshMs, oneRefreshMs);
    return 0;
}
