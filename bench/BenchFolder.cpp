#include "BenchFolder.h"

#include "common/Win32.h"

#include <cstdio>
#include <cstdlib>

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

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file ||
        !::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
        std::fprintf(stderr, "cannot write %ls\n", path.c_str());
        std::exit(1);
    }
}

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

// root\UI-View32 (with SavedXTR) holds the XTR files; root\Programs the programs
// that exist. A missing program lies in a folder that is gone: under Wine a
// missing name in a folder of many files costs a scan of that folder, which
// would make the fixture, not the code, the subject of the measurement.
HostFolderFixture MakeHostFolder(int n, const std::wstring& tag) {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    HostFolderFixture fixture;
    fixture.root = std::wstring(temp) + tag + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                   std::to_wstring(n);
    fixture.host = fixture.root + L"\\UI-View32";
    fixture.saved = fixture.host + L"\\SavedXTR";
    RemoveTree(fixture.root);
    for (const std::wstring& folder :
         {fixture.root, fixture.host, fixture.saved, fixture.root + L"\\Programs"}) {
        ::CreateDirectoryW(folder.c_str(), nullptr);
    }
    for (int i = 0; i < n; ++i) {
        const std::wstring number = std::to_wstring(100000 + i).substr(1);
        const bool exists = (i / 2) % 2 == 0; // half of each folder's programs exist
        const std::wstring program =
            fixture.root + (exists ? L"\\Programs\\p" : L"\\Removed\\m") + number + L".exe";
        if (exists) {
            ++fixture.existing;
            WriteFileBytes(program, "MZ");
        }
        const std::wstring folder = i % 2 == 0 ? fixture.host : fixture.saved;
        WriteFileBytes(folder + L"\\x" + number + L".xtr",
                       "Add-on " + ToAnsi(number) + "\r\n" + ToAnsi(program) +
                           "\r\nTrue\r\nFalse\r\n-----------------------------\r\n"
                           "created by UI-View Quillon V1.1.0 on 5/17/2020 8:30:00 AM\r\n");
        fixture.programPaths.push_back(program);
    }
    return fixture;
}
