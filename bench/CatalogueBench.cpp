// Creates N XTR files in a temporary UI-View32 folder (half active, half
// inactive; half of their programs existing), points UI-View32's registry
// setting at it through a scratch key, and times ScanXTR, and a whole rescan
// (scan and grid) on a real, hidden main window, against the floor: one listing of each folder,
// open + read + close of each XTR file and the attributes of each program path.
#include "BenchFolder.h"
#include "app/Form1.h"
#include "host/HostFolder.h"
#include "system/Win32.h"
#include "xtr/Catalogue.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace {
constexpr int kRepeats = 3;

// The best of a few runs of each, in milliseconds: other work on the machine
// only ever adds time. The runs alternate, so that each sees the same load.
std::vector<double> BestTimesMs(const std::vector<std::function<void()>>& runs) {
    std::vector<double> best(runs.size(), 1e300);
    for (int repeat = 0; repeat < kRepeats; ++repeat) {
        for (size_t i = 0; i < runs.size(); ++i) {
            const double start = Now();
            runs[i]();
            best[i] = std::min(best[i], Now() - start);
        }
    }
    return best;
}

double BestTimeMs(const std::function<void()>& run) { return BestTimesMs({run})[0]; }

// The unavoidable system work for the same files, with the same listing calls the scan uses.
void Floor(const HostFolderFixture& fixture) {
    char buffer[4096];
    for (const std::wstring& folder : {fixture.host, fixture.saved}) {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found;
        UniqueFind find(::FindFirstFileExW((folder + L"\\*.xtr").c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
        if (find) {
            do {
                names.emplace_back(found.cFileName);
            } while (::FindNextFileW(find.get(), &found));
        }
        find.reset();
        for (const std::wstring& name : names) {
            UniqueFile file(::CreateFileW((folder + L"\\" + name).c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
            DWORD read = 0;
            ::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr);
        }
    }
    for (const std::wstring& program : fixture.programPaths) {
        ::GetFileAttributesW(program.c_str());
    }
}

struct Row {
    int n = 0;
    double scanMs = 0, floorMs = 0, rescanMs = 0, settingUs = 0;
};

Row Measure(int n) {
    const HostFolderFixture fixture(n, L"QuillonBench");
    scratch::ScratchRegistry registry;
    registry.SetHostFolderSetting(fixture.host + L"\\");
    Row row;
    row.n = n;
    {
        Form1 form;
        if (!form.Create(::GetModuleHandleW(nullptr))) { // start-up scans and fills once: the warm-up
            std::fprintf(stderr, "the main window could not be created\n");
            std::exit(1);
        }
        const std::vector<double> scanAndFloor = BestTimesMs({[] {
                                                                  ServerLooks looks;
                                                                  ScanXTR(ReadHostFolderSetting(), looks);
                                                              },
                                                              [&] { Floor(fixture); }});
        row.scanMs = scanAndFloor[0];
        row.floorMs = scanAndFloor[1];
        row.rescanMs = BestTimeMs([&form] { form.Rescan(form.CurrentPlace()); });

        const XtrCatalogue& catalogue = form.Catalogue();
        int found = 0;
        for (int i = 1; i <= catalogue.XtrCount; ++i) {
            found += catalogue.XtrTable[static_cast<size_t>(i)].programFound ? 1 : 0;
        }
        if (catalogue.XtrCount != n || found != fixture.existing || form.grdXTRs().Rows() != n + 1) {
            std::fprintf(stderr, "N=%d: %d entries, %d programs found, %d grid rows\n", n, catalogue.XtrCount,
                         found, form.grdXTRs().Rows());
            std::exit(1);
        }
        // The parts of the scan's own cost worth knowing apart.
        row.settingUs = BestTimeMs([n] {
                            for (int i = 0; i < n; ++i) {
                                ReadHostFolderSetting();
                            }
                        }) *
                        1000.0 / n;
    }
    return row;
}
} // namespace

// Sizes may be given on the command line; 1,000, 10,000 and 32,767 otherwise.
int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        sizes.push_back(std::clamp(std::atoi(argv[i]), 1, 32767));
    }
    if (sizes.empty()) {
        sizes = {1000, 10000, 32767};
    }
    std::printf("%7s %10s %10s %11s %10s %14s\n", "N", "scan ms", "floor ms", "scan/floor", "rescan ms",
                "setting us");
    std::fflush(stdout);
    try {
        for (int n : sizes) {
            const Row row = Measure(n);
            std::printf("%7d %10.1f %10.1f %11.2f %10.1f %14.1f\n", row.n, row.scanMs, row.floorMs,
                        row.scanMs / row.floorMs, row.rescanMs, row.settingUs);
            std::fflush(stdout);
        }
    } catch (const std::exception& failure) { // the folder or the scratch key could not be made
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
    std::printf("rescan ms: what Refresh costs, the scan and the grid showing its result.\n");
    std::printf("setting us: one read of UI-View32's folder setting, as each scan and each save makes.\n");
    return 0;
}
