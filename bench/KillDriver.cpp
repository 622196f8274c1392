// Runs one of the file operations a user asks for on a UI-View32 folder that
// a script has set up, and prints every question it was asked ("asked ...")
// and every message it was shown ("told ..."). scripts/kill-loops.sh ends it
// at a named step (QUILLON_END_AT_STEP) or kills it from outside, then runs
// "start" as the next start-up does and checks what is left;
// scripts/hostile-disks.sh runs it on disks that misbehave.
//
//   quillon_kill_driver [options] save|edit|inactive|active|delete|new|drop|large|case <UI-View32 folder>
//   [<dropped file>]
//   quillon_kill_driver [options] start <UI-View32 folder>
//   quillon_kill_driver [options] scan <UI-View32 folder> <times>[,<pause ms>,<times>]...
//
// Options, each before the operation:
//   --answers yes,no,...       the answers to the Yes/No questions in turn, the last one
//                              repeated (Yes to all unless told)
//   --rewrite <file> <words>   while the first question holding <words> waits, another
//                              program writes <file> anew (kRewritten below)
//   --rewrite-same <file> <words>  the same, but keeping the file's size and time, as a
//                              sync tool does: its letters change case
//   --hold <file>              once the first question is asked, another program holds
//                              <file> open, sharing nothing, until the end
//   --at <step>[@n] <action>:<path>  at that named step (its n-th time) another program
//                              acts: rewrite (<path> written anew in place), rename-over (a
//                              new <path> renamed over it), move-to-saved (<path> moved into
//                              SavedXTR), fill-trash (a file of its own put into the trash
//                              folder <path>, with its info record)
//
// The files: save, a.xtr over another program's change; edit, a.xtr's title
// changed; inactive, b.xtr into SavedXTR; active, SavedXTR\b.xtr back; delete,
// f.xtr; new, a new active g.xtr; case, e.xtr to E.xtr. start tidies as the
// next start-up does, asking and telling as it does. scan prints how long each scan took, how many
// programs it found and the threads the process has after it, then each entry,
// whether its program was found and how it was looked for.
#include "diagnostics/Log.h"
#include "host/HostFolder.h"
#include "system/Win32.h"
#include "toolkit/Ui.h"
#include "xtr/Catalogue.h"
#include "xtr/EntryChanges.h"
#include "xtr/FileChange.h"
#include "xtr/XtrFile.h"

#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cctype>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

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

// What "another program" writes with --rewrite; the scripts look for it.
constexpr char kRewritten[] = "Rewritten meanwhile\r\nrewritten.exe\r\nTrue\r\nFalse\r\n";

// Another program's save that keeps the size and the last-write time: the letters change case.
void RewriteKeepingSizeAndTime(const std::wstring& path) {
    FILETIME written{};
    std::string bytes;
    {
        const UniqueFile file(
            ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        bytes.resize(::GetFileSize(file.get(), nullptr));
        DWORD read = 0;
        ::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
        ::GetFileTime(file.get(), nullptr, nullptr, &written);
    }
    for (char& c : bytes) {
        c = std::isalpha(static_cast<unsigned char>(c)) ? static_cast<char>(c ^ 0x20) : c;
    }
    WriteWholeFile(path, bytes);
    const UniqueFile file(::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    ::SetFileTime(file.get(), nullptr, nullptr, &written);
}

// What another program does at a named step (--at).
void Act(const std::wstring& action, const std::wstring& path) {
    bool done = false;
    if (action == L"rewrite") {
        WriteWholeFile(path, kRewritten);
        done = true;
    } else if (action == L"rename-over") {
        WriteWholeFile(path + L".other", kRewritten);
        done = ::MoveFileExW((path + L".other").c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    } else if (action == L"move-to-saved") {
        done = ::MoveFileExW(path.c_str(), JoinPath(SavedXtrFolder(), FileNameOf(path)).c_str(), 0) != FALSE;
    } else if (action == L"fill-trash") {
        WriteWholeFile(JoinPath(path, L"files\\other-program.txt"), std::string(8 * 1024, 'o'));
        WriteWholeFile(JoinPath(path, L"info\\other-program.txt.trashinfo"),
                       "[Trash Info]\nPath=/elsewhere/other-program.txt\nDeletionDate=2024-01-01T00:00:00\n");
        done = true;
    }
    std::printf("acted %s %s: %s\n", ToUtf8(action).c_str(), ToUtf8(path).c_str(), done ? "yes" : "no");
}

struct Options {
    std::vector<int> answers; // IDYES, IDNO
    std::wstring rewrite, rewriteWhen, hold;
    bool rewriteSame = false;
    std::wstring actStep, action, actPath;
};
Options options;
size_t questions = 0;
HANDLE held = INVALID_HANDLE_VALUE;

int Answer(std::wstring_view text, UINT type) {
    const std::string line = ToUtf8(std::wstring(text));
    const UINT buttons = type & MB_TYPEMASK;
    if (buttons != MB_YESNO && buttons != MB_YESNOCANCEL) {
        std::printf("told %s\n", line.c_str());
        return IDOK;
    }
    std::printf("asked %s\n", line.c_str());
    if (!options.hold.empty() && held == INVALID_HANDLE_VALUE) {
        held = ::CreateFileW(options.hold.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        std::printf("held %s: %s\n", ToUtf8(options.hold).c_str(),
                    held != INVALID_HANDLE_VALUE ? "yes" : "no");
    }
    if (!options.rewrite.empty() && text.find(options.rewriteWhen) != std::wstring_view::npos) {
        if (options.rewriteSame) {
            RewriteKeepingSizeAndTime(options.rewrite);
        } else {
            WriteWholeFile(options.rewrite, kRewritten);
        }
        std::printf("rewrote %s\n", ToUtf8(options.rewrite).c_str());
        options.rewrite.clear();
    }
    const size_t turn = questions++;
    return options.answers.empty() ? IDYES : options.answers[std::min(turn, options.answers.size() - 1)];
}

// Whether a step of the file change is "<step>" or "<step>@<n>" (its n-th time) of text.
std::function<bool(std::wstring_view)> StepNamed(const std::wstring& text) {
    const size_t at = text.find(L'@');
    const unsigned long time =
        at == std::wstring::npos ? 1 : std::wcstoul(text.c_str() + at + 1, nullptr, 10);
    return [step = text.substr(0, at), time, reached = 0ul](std::wstring_view named) mutable {
        return named == step && ++reached == time;
    };
}

// Where the environment variable QUILLON_END_AT_STEP names a step, the process
// ends there at once, as a crash would end it; at the step --at names, another
// program acts.
void HookTheSteps() {
    wchar_t value[64];
    const DWORD length = ::GetEnvironmentVariableW(L"QUILLON_END_AT_STEP", value, 64);
    std::function<bool(std::wstring_view)> end =
        length > 0 && length < 64 ? StepNamed(std::wstring(value, length)) : nullptr;
    std::function<bool(std::wstring_view)> act =
        options.actStep.empty() ? nullptr : StepNamed(options.actStep);
    Ui::TestHooks().stepReached = [end, act](std::wstring_view named) mutable {
        if (act && act(named)) {
            Act(options.action, options.actPath);
        }
        if (end && end(named)) {
            ::TerminateProcess(::GetCurrentProcess(), 3);
        }
    };
}

size_t ThreadsOfThisProcess() {
    const UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 thread{};
    thread.dwSize = sizeof(thread);
    size_t count = 0;
    for (BOOL more = ::Thread32First(snapshot.get(), &thread); more;
         more = ::Thread32Next(snapshot.get(), &thread)) {
        count += thread.th32OwnerProcessID == ::GetCurrentProcessId() ? 1 : 0;
    }
    return count;
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
        TidyLeftoversAndTell(nullptr);
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
    if (operation == L"edit") {
        const XtrRecord loaded = Read(HostFolder, L"a.xtr", true);
        XtrRecord edited = loaded;
        edited.title = L"Tool A edited";
        return SaveEditedEntry(nullptr, edited, &loaded) == ChangeEnd::Done ? 0 : 1;
    }
    if (operation == L"scan") { // groups of scans, each after a pause: "<times>[,<pause ms>,<times>]..."
        std::printf("threads before %zu\n", ThreadsOfThisProcess());
        ServerLooks looks; // as the main window keeps them between its scans
        XtrCatalogue catalogue;
        std::vector<long> numbers; // times, pause, times...
        std::wstring list = argument;
        for (wchar_t* next = list.data(); *next != 0 && (next == list.data() || *next++ == L',');) {
            numbers.push_back(std::wcstol(next, &next, 10));
        }
        for (size_t group = 0, scan = 1; group < numbers.size(); group += 2) {
            for (long times = numbers[group]; times > 0; --times) {
                const auto start = std::chrono::steady_clock::now();
                catalogue = ScanXTR(ReadHostFolderSetting(), looks);
                const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
                    std::chrono::steady_clock::now() - start);
                int found = 0;
                for (const XtrRecord& entry : catalogue.XtrTable) {
                    found += entry.programFound ? 1 : 0;
                }
                std::printf("scan %zu took %lld ms, found %d, threads %zu\n", scan++,
                            static_cast<long long>(took.count()), found, ThreadsOfThisProcess());
            }
            if (group + 1 < numbers.size()) {
                ::Sleep(static_cast<DWORD>(numbers[group + 1]));
            }
        }
        const char* const howLooked[] = {"looked", "silent", "not-contacted"};
        for (size_t i = 1; i <= static_cast<size_t>(catalogue.XtrCount); ++i) {
            const XtrRecord& entry = catalogue.XtrTable[i];
            std::printf("entry %s found %d %s\n", ToUtf8(entry.fileName).c_str(), entry.programFound ? 1 : 0,
                        howLooked[static_cast<int>(entry.programLook)]);
        }
        std::puts("scans done");
        return 0;
    }
    if (operation == L"inactive") { // onto a file of the same name in SavedXTR
        return MoveEntry(nullptr, Read(HostFolder, L"b.xtr", true)) == ChangeEnd::Done ? 0 : 1;
    }
    if (operation == L"active") {
        return MoveEntry(nullptr, Read(SavedXtrFolder(), L"b.xtr", false)) == ChangeEnd::Done ? 0 : 1;
    }
    if (operation == L"delete") {
        return DeleteEntry(nullptr, Read(HostFolder, L"f.xtr", true)) == ChangeEnd::Done ? 0 : 1;
    }
    if (operation == L"new") { // under the name of an inactive entry
        XtrRecord entry;
        entry.fileName = L"g.xtr";
        entry.folder = HostFolder;
        entry.active = true;
        entry.title = L"New G";
        entry.programDrive = L"C:";
        entry.programFile = L"g.exe";
        return SaveEditedEntry(nullptr, entry, nullptr) == ChangeEnd::Done ? 0 : 1;
    }
    if (operation == L"drop" || operation == L"large") {
        const DropOutcome outcome = InstallDroppedFiles(nullptr, {argument});
        TellNotInstalled(nullptr, outcome);
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
    std::setvbuf(stdout, nullptr, _IONBF, 0); // read line by line while it runs
    int at = 1;
    for (; at + 1 < argc && std::wstring_view(argv[at]).starts_with(L"--"); at += 2) {
        const std::wstring_view option = argv[at];
        if (option == L"--answers") {
            for (std::wstring_view list = argv[at + 1]; !list.empty();) {
                const size_t comma = std::min(list.find(L','), list.size());
                options.answers.push_back(list.substr(0, comma) == L"no" ? IDNO : IDYES);
                list.remove_prefix(std::min(comma + 1, list.size()));
            }
        } else if ((option == L"--rewrite" || option == L"--rewrite-same") && at + 2 < argc) {
            options.rewriteSame = option == L"--rewrite-same";
            options.rewrite = argv[at + 1];
            options.rewriteWhen = argv[++at + 1];
        } else if (option == L"--at" && at + 2 < argc) {
            options.actStep = argv[at + 1];
            const std::wstring action = argv[++at + 1];
            options.action = action.substr(0, action.find(L':'));
            options.actPath = action.substr(std::min(action.find(L':'), action.size() - 1) + 1);
        } else if (option == L"--hold") {
            options.hold = argv[at + 1];
        } else {
            at = argc;
        }
    }
    if (argc - at < 2) {
        std::fputs("usage: quillon_kill_driver [--answers yes,no] [--rewrite|--rewrite-same <file> <words>]\n"
                   "  [--hold <file>] [--at <step>[@n] <action>:<path>]\n"
                   "  save|edit|inactive|active|delete|new|drop|large|case|start|scan <UI-View32 folder> "
                   "[file|times]\n",
                   stderr);
        return 2;
    }
    argv += at - 1;
    argc -= at - 1;
    HostFolder = argv[2];
    HookTheSteps();
    Common::ErrorLogPathname = JoinPath(HostFolder, L"..\\kill-driver.log");
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kHostSettingKey, kHostSettingValue, REG_SZ,
                      (HostFolder + L"\\").c_str(),
                      static_cast<DWORD>((HostFolder.size() + 2) * sizeof(wchar_t)));
    Ui::TestHooks().showMessage = [](HWND, std::wstring_view text, std::wstring_view, UINT type) {
        return Answer(text, type);
    };
    return Run(argv[1], argc > 3 ? argv[3] : L"");
}
