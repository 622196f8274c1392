#include "xtr/Catalogue.h"

#include "host/HostFolder.h"
#include "rules/AppInfo.h"
#include "rules/ErrorTable.h"
#include "rules/HostPaths.h"
#include "rules/Trap.h"
#include "system/Win32.h"
#include "toolkit/Ui.h"
#include "xtr/XtrFile.h"

#include <urlmon.h>

#include <algorithm>
#include <thread>
#include <utility>

namespace {
// Adds the entry when the table has room; a file left out is reported once
// per scan, under the step it was found in.
bool AddEntry(XtrCatalogue& catalogue, const std::wstring& name, const std::wstring& folder, bool active,
              std::size_t maxEntries, int marker) {
    ++catalogue.filesFound;
    if (static_cast<size_t>(catalogue.XtrCount) >= maxEntries) {
        if (catalogue.filesFound == maxEntries + 1) {
            ReportError(Err::Overflow, L"Module1.ScanXTR,  Line " + std::to_wstring(marker));
        }
        return false;
    }
    ++catalogue.XtrCount;
    XtrRecord& entry = catalogue.XtrTable.emplace_back();
    entry.fileName = name;
    entry.folder = folder;
    entry.active = active;
    return true;
}

using Probe = decltype(Ui::Hooks::programProbe);

bool IsDrivePath(const std::wstring& program) { return program.size() >= 2 && program[1] == L':'; }

// The share a program lives on: "\\server\share" of a network path, or the
// drive of a path on a drive mapped to one; empty for a local program. Drives
// found local are kept in localDrives, so that each is asked once a scan.
std::wstring ShareOf(const std::wstring& program, std::vector<std::wstring>& localDrives) {
    const std::wstring_view server = NetworkServerOf(program);
    if (!server.empty()) {
        const size_t start =
            std::min(program.size(), size_t(server.data() - program.data()) + server.size() + 1);
        const size_t end = program.find_first_of(L"\\/", start);
        return L"\\\\" + std::wstring(server) + L"\\" + program.substr(start, end - start);
    }
    if (!IsDrivePath(program)) {
        return {};
    }
    const std::wstring drive = program.substr(0, 2);
    const auto equal = [&](const std::wstring& known) { return EqualsIgnoringCase(known, drive); };
    if (std::any_of(localDrives.begin(), localDrives.end(), equal)) {
        return {};
    }
    if (::GetDriveTypeW((drive + L"\\").c_str()) == DRIVE_REMOTE) {
        return drive;
    }
    localDrives.push_back(drive);
    return {};
}

// Whether Windows' security zones put the share in the local network (Local Machine, Local Intranet, Trusted
// Sites): a file call elsewhere would sign in to a stranger's server with the user's credentials. urlmon is
// loaded at the first network path, not at start-up.
bool InLocalNetwork(const std::wstring& share) {
    if (share.find_first_of(L"@%#?") != std::wstring::npos) {
        return false; // a URL would read another server out of such a name ("user@host")
    }
    static IInternetSecurityManager* const zones = []() -> IInternetSecurityManager* {
        const auto create = SystemFunction<decltype(::CoInternetCreateSecurityManager)>(
            L"urlmon.dll", "CoInternetCreateSecurityManager");
        IInternetSecurityManager* made = nullptr;
        return create != nullptr && SUCCEEDED(create(nullptr, &made, 0)) ? made : nullptr;
    }();
    std::wstring url = L"file:" + share + L"/";
    std::replace(url.begin(), url.end(), L'\\', L'/');
    DWORD zone = DWORD(URLZONE_INVALID);
    return zones != nullptr && SUCCEEDED(zones->MapUrlToZone(url.c_str(), &zone, 0)) &&
           zone <= URLZONE_TRUSTED;
}

bool LookFor(const Probe& probe, const std::wstring& program) {
    return probe && !NetworkServerOf(program).empty() ? probe(program) : FirstNormalFile(program).has_value();
}
} // namespace

const XtrRecord& XtrCatalogue::Entry(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= XtrTable.size()) {
        Raise(Err::SubscriptOutOfRange);
    }
    return XtrTable[static_cast<size_t>(index)];
}

std::int16_t XtrCatalogue::IndexOfFile(const std::wstring& folder, const std::wstring& fileName) const {
    for (size_t i = 1; i < XtrTable.size(); ++i) {
        if (EqualsIgnoringCase(XtrTable[i].fileName, fileName) &&
            EqualsIgnoringCase(XtrTable[i].folder, folder)) {
            return static_cast<std::int16_t>(i);
        }
    }
    return 0;
}

void TellFilesLeftOut(HWND owner, const XtrCatalogue& catalogue) {
    if (catalogue.filesFound <= static_cast<size_t>(catalogue.XtrCount)) {
        return;
    }
    Ui::ShowMessage(owner,
                    L"Quillon lists " + std::to_wstring(catalogue.XtrCount) + L" of the " +
                        std::to_wstring(catalogue.filesFound) +
                        L" XTR files in the UI-View32 folder and SavedXTR: it cannot list more than " +
                        std::to_wstring(kMaxXtrEntries) + L".",
                    AppTitle, MB_OK | MB_ICONINFORMATION);
}

XtrCatalogue ScanXTR(std::wstring_view setting, ServerLooks& looks, std::size_t maxEntries) {
    maxEntries = std::min(maxEntries, kMaxXtrEntries);
    XtrCatalogue catalogue;
    std::vector<XtrRecord>& table = catalogue.XtrTable;
    int marker = 0;
    Trap(L"Module1.ScanXTR,  Line ", marker, [&] {
        marker = 1;
        // Each listing is read to its end before any file is read.
        const std::vector<std::wstring> activeNames = ListXtrFiles(HostFolder);
        marker = 2;
        const std::wstring savedFolder = SavedXtrFolder();
        table.reserve(std::min(activeNames.size(), maxEntries) + 1);
        for (const std::wstring& name : activeNames) {
            if (AddEntry(catalogue, name, HostFolder, true, maxEntries, marker)) {
                marker = 3;
                ReadXTR(table.back());
                marker = 4;
            }
        }

        marker = 5;
        const std::vector<std::wstring> savedNames = ListXtrFiles(savedFolder);
        table.reserve(std::min(table.size() + savedNames.size(), maxEntries + 1));
        for (const std::wstring& name : savedNames) {
            if (AddEntry(catalogue, name, savedFolder, false, maxEntries, marker)) {
                marker = 6;
                ReadXTR(table.back());
            }
        }

        marker = 7;
        std::vector<std::wstring> programs;
        programs.reserve(table.size() - 1);
        for (size_t i = 1; i < table.size(); ++i) {
            table[i].programAbsolute = ProgramPathAbsoluteOf(ProgramPathOf(table[i]), setting);
            programs.push_back(table[i].programAbsolute);
        }
        // A server that does not answer costs the scan one short wait, not a
        // network timeout for each of its programs.
        const std::vector<ProgramLook> how = looks.Start(programs);
        for (size_t i = 1; i < table.size(); ++i) {
            XtrRecord& entry = table[i];
            marker = 8;
            entry.programLook = how[i - 1];
            // A path the system refuses as a name (a "|" in a folder name) is that
            // entry's own problem: not found, reported, and the next entry goes on.
            entry.programFound = false;
            if (entry.programLook == ProgramLook::Looked) {
                Trap(L"Module1.ScanXTR,  Line ", marker,
                     [&] { entry.programFound = looks.Exists(entry.programAbsolute); });
            }
        }
    });
    return catalogue;
}

std::vector<ProgramLook> ServerLooks::Start(const std::vector<std::wstring>& programs) {
    // An ended look is forgotten; one still running makes its share silent, without a new thread.
    std::erase_if(shares_, [](const Share& share) {
        return !share.answer.valid() ||
               share.answer.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    });
    for (Share& share : shares_) {
        share.how = ProgramLook::ServerSilent;
    }
    std::vector<size_t> shareOf(programs.size(), SIZE_MAX);
    std::vector<std::wstring> localDrives;
    for (size_t i = 0; i < programs.size(); ++i) {
        const std::wstring& program = programs[i];
        std::wstring name = ShareOf(program, localDrives);
        if (name.empty()) {
            continue;
        }
        const auto same = [&](const Share& known) { return EqualsIgnoringCase(known.name, name); };
        shareOf[i] = size_t(std::find_if(shares_.begin(), shares_.end(), same) - shares_.begin());
        if (shareOf[i] < shares_.size()) {
            continue;
        }
        Share& share = shares_.emplace_back();
        share.name = std::move(name);
        if (!IsDrivePath(program) && !InLocalNetwork(share.name)) {
            share.how = ProgramLook::NotContacted;
            continue;
        }
        try {
            std::packaged_task<bool()> task(
                [probe = Ui::TestHooks().programProbe, program] { return LookFor(probe, program); });
            share.answer = task.get_future().share();
            std::thread(std::move(task)).detach();
            share.program = program;
        } catch (...) {
            share.how = ProgramLook::ServerSilent; // no thread to spare: the scan goes on
        }
    }
    const auto deadline = std::chrono::steady_clock::now() + kServerAnswerTime;
    for (Share& share : shares_) {
        if (share.how == ProgramLook::Looked &&
            share.answer.wait_until(deadline) != std::future_status::ready) {
            share.how = ProgramLook::ServerSilent;
        }
    }
    std::vector<ProgramLook> how(programs.size(), ProgramLook::Looked);
    for (size_t i = 0; i < programs.size(); ++i) {
        if (shareOf[i] != SIZE_MAX) {
            how[i] = shares_[shareOf[i]].how;
        }
    }
    return how;
}

bool ServerLooks::Exists(const std::wstring& program) const {
    const auto looked = std::find_if(shares_.begin(), shares_.end(), [&](const Share& share) {
        return share.how == ProgramLook::Looked && share.program == program;
    });
    return looked != shares_.end() ? looked->answer.get() : LookFor(Ui::TestHooks().programProbe, program);
}
