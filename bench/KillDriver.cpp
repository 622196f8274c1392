// Runs one of the file operations a user asks for, answering Yes to every
// question, on a UI-View32 folder that scripts/kill-loops.sh has set up; the
// script ends it at a named step (QUILLON_END_AT_STEP) or kills it from
// outside, then runs "start" as the next start-up does and checks what is
// left. Not a test: the kill loops are run by hand and their numbers reported.
//
//   quillon_kill_driver save|inactive|drop|large|case <UI-View32 folder> [<dropped file>]
//   quillon_kill_driver start <UI-View32 folder>
#include "diagnostics/Log.h"
#include "host/HostFolder.h"
#include "system/Win32.h"
#include "toolkit/Ui.h"
#include "xtr/EntryChanges.h"
#include "xtr/FileChange.h"
#include "xtr/XtrFile.h"

#include <cstdio>
#include <string>

namespace {
std::string ToUtf8(const std::wstring& text) {
    std::string bytes(text.size() * 3 + 1, '\0');
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                             bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr);
    bytes.resize(static_cast<size_t>(length > 0 ? length : 0));
    return bytes;
}

// Another program's save: written in place, as many programs do.
void WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    const UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

XtrRecord Read(const std::wstring& folder, const std::wstring& fileName, bool active) {
    XtrRecord entry;
    entry.folder = folder;
    entry.fileName = fileName;
    entry.active = active;
    ReadXTR(entry);
    return entry;
}

int Run(const std::wstring& operation, const std::wstring& argument) {
    if (operation == L"start") {
        const Tidied tidied = TidyLeftovers();
        for (const Leftover& stuck : tidied.stuck) {
            std::printf("stuck %s\n", ToUtf8(stuck.known).c_str());
        }
        for (const std::wstring& name : tidied.binned) {
            std::printf("binned %s\n", ToUtf8(name).c_str());
        }
        return 0;
    }
    if (operation == L"save") { // over another program's change, after Yes
        const XtrRecord loaded = Read(HostFolder, L"a.xtr", true);
        const std::string changed = loaded.bytes + "changed by another program\r\n";
        WriteWholeFile(JoinPath(HostFolder, L"a.xtr"), changed);
        XtrRecord edited = loaded;
        edited.title = L"Tool A edited";
        return SaveEditedEntry(nullptr, edited, &loaded) == ChangeEnd::Done ? 0 : 1;
    }
    if (operation == L"inactive") { // onto a file of the same name in SavedXTR
        return MoveEntry(nullptr, Read(HostFolder, L"b.xtr", true)) == ChangeEnd::Done ? 0 : 1;
    }
    if (operation == L"drop" || operation == L"large") {
        const DropOutcome outcome = InstallDroppedFiles(nullptr, {argument});
        return outcome.notInstalled.empty() ? 0 : 1;
    }
    if (operation == L"case") { // e.xtr to E.xtr
        const XtrRecord loaded = Read(HostFolder, L"e.xtr", true);
        XtrRecord edited = loaded;
        edited.fileName = L"E.xtr";
        return SaveEditedEntry(nullptr, edited, &loaded) == ChangeEnd::Done ? 0 : 1;
    }
    return 2;
}
} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fputs(
            "usage: quillon_kill_driver save|inactive|drop|large|case|start <UI-View32 folder> [file]\n",
            stderr);
        return 2;
    }
    HostFolder = argv[2];
    Common::ErrorLogPathname = JoinPath(HostFolder, L"..\\kill-driver.log");
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kHostSettingKey, kHostSettingValue, REG_SZ,
                      (HostFolder + L"\\").c_str(),
                      static_cast<DWORD>((HostFolder.size() + 2) * sizeof(wchar_t)));
    Ui::TestHooks().showMessage = [](HWND, std::wstring_view text, std::wstring_view, UINT) {
        std::printf("asked %s\n", ToUtf8(std::wstring(text)).c_str());
        return IDYES;
    };
    return Run(argv[1], argc > 3 ? argv[3] : L"");
}
