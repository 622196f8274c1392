// Times Quillon's start-up as a user sees it, against a bare window holding a
// ListView: from just before CreateProcess until the program's main window is
// visible and its list holds every row. Quillon reads a temporary UI-View32
// folder of 30 XTR files, through UI-View32's real registry setting; the
// setting is put back afterwards. Then where each start-up's time goes, from
// inside: Quillon's own start-up linked with marks (StartupPhases.cpp) and the
// bare window built with its own (Phases.h), by turns. Last, F5 held down on a
// list of 3,000 files: how soon after the last press the window takes input
// again, against the time of one refresh. Run it in a Wine prefix of its own.
#include "BenchFolder.h"
#include "Outside.h"

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
    const RemoteList list(::FindWindowExW(started.window, nullptr, WC_LISTVIEWW, nullptr),
                          started.process.get());
    auto focused = [&list] { return list.Focused(); };
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
    ::PostMessageW(list.Window(), WM_KEYDOWN, VK_DOWN, 0x00500001);
    while (focused() == before) {
        if (Now() - lastPress > 120000) {
            Fail(L"the window did not take input again within two minutes of the last F5");
        }
        ::Sleep(1);
    }
    const double ms = Now() - lastPress;
    ::PostMessageW(list.Window(), WM_KEYDOWN, VK_UP, 0x00480001); // back where it was
    return ms;
}

// The marks of a program built to mark its start-up (Phases.h): each phase and
// its milliseconds from just before CreateProcess, in the order reached.
using Phases = std::vector<std::pair<std::string, double>>;
Phases TimePhases(const std::wstring& exe, const std::wstring& file) {
    ::DeleteFileW(file.c_str());
    LARGE_INTEGER start;
    ::QueryPerformanceCounter(&start);
    std::wstring commandLine = L"\"" + exe + L"\" " + std::to_wstring(start.QuadPart) + L" " + file;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        Fail(L"cannot start " + exe + L": " + SystemErrorText(::GetLastError()));
    }
    const UniqueFile ended(process.hProcess);
    const UniqueFile thread(process.hThread);
    if (::WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.hProcess, 1);
        Fail(exe + L" did not end within 10 s of its start");
    }
    Phases phases;
    for (const std::string& line : scratch::LinesOf(file)) {
        const size_t blank = line.find(' ');
        phases.emplace_back(line.substr(blank + 1), std::atof(line.c_str()));
    }
    if (phases.empty()) {
        Fail(exe + L" wrote no marks");
    }
    return phases;
}

// Each phase's median over the runs, in the order of the first run.
Phases MedianPhases(const std::vector<Phases>& runs) {
    Phases medians;
    for (const auto& [phase, ms] : runs.front()) {
        std::vector<double> all;
        for (const Phases& run : runs) {
            for (const auto& [name, at] : run) {
                if (name == phase) {
                    all.push_back(at);
                }
            }
        }
        medians.emplace_back(phase, Median(all));
    }
    return medians;
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
    std::vector<Phases> quillonPhases, barePhases;
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
        // The same start-ups, marking their phases from inside.
        const std::wstring marks = folder.root / L"phases.txt";
        for (int i = 0; i < samples; ++i) {
            quillonPhases.push_back(TimePhases(BesideBench(L"quillon_startup_phases.exe"), marks));
            barePhases.push_back(TimePhases(BesideBench(L"quillon_bare_phases.exe"), marks));
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
    std::printf("where the time goes, from inside (ms from just before CreateProcess, and since the mark "
                "before; medians of %d by turns):\n",
                samples);
    const Phases quillonAt = MedianPhases(quillonPhases);
    const Phases bareAt = MedianPhases(barePhases);
    for (size_t i = 0; i < std::max(quillonAt.size(), bareAt.size()); ++i) {
        auto column = [i](const Phases& phases) {
            char text[64] = "";
            if (i < phases.size()) {
                std::snprintf(text, sizeof(text), "%-26s %6.1f %+6.1f", phases[i].first.c_str(),
                              phases[i].second, phases[i].second - (i > 0 ? phases[i - 1].second : 0.0));
            }
            return std::string(text);
        };
        std::printf("  %-42s   %s\n", column(quillonAt).c_str(), column(bareAt).c_str());
    }
    std::printf("F5 held down at %d files: %d presses in %.1f s; the window takes input again %.0f ms after "
                "the last, %.2f times one refresh (%.0f ms)\n",
                kRefreshFiles, kKeyRepeats, (kKeyRepeats - 1) * kKeyRepeatMs / 1000, heldRefreshMs,
                heldRefreshMs / oneRefreshMs, oneRefreshMs);
    return 0;
}
