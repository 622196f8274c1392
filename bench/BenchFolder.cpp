#include "BenchFolder.h"

#include "system/Win32.h"

double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / frequency;
}

// root\UI-View32 (with SavedXTR) holds the XTR files; root\Programs the programs
// that exist. A missing program lies in a folder that is gone: under Wine a
// missing name in a folder of many files costs a scan of that folder, which
// would make the fixture, not the code, the subject of the measurement.
HostFolderFixture::HostFolderFixture(int n, std::wstring_view tag)
    : root(tag), host(root / L"UI-View32"), saved(host + L"\\SavedXTR") {
    for (const std::wstring& folder : {host, saved, root / L"Programs"}) {
        ::CreateDirectoryW(folder.c_str(), nullptr);
    }
    for (int i = 0; i < n; ++i) {
        const std::wstring number = std::to_wstring(100000 + i).substr(1);
        const bool exists = (i / 2) % 2 == 0; // half of each folder's programs exist
        const std::wstring program = root / ((exists ? L"Programs\\p" : L"Removed\\m") + number + L".exe");
        if (exists) {
            ++existing;
            scratch::WriteBytes(program, "MZ");
        }
        scratch::WriteBytes((i % 2 == 0 ? host : saved) + L"\\x" + number + L".xtr",
                            "Add-on " + ToAnsi(number) + "\r\n" + ToAnsi(program) +
                                "\r\nTrue\r\nFalse\r\n-----------------------------\r\n"
                                "created by UI-View Quillon V1.1.0 on 5/17/2020 8:30:00 AM\r\n");
        programPaths.push_back(program);
    }
}
