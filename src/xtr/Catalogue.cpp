#include "xtr/Catalogue.h"

#include "host/HostFolder.h"
#include "rules/AppInfo.h"
#include "rules/ErrorTable.h"
#include "rules/HostPaths.h"
#include "rules/Trap.h"
#include "system/FileReads.h"
#include "system/Win32.h"
#include "toolkit/Ui.h"
#include "xtr/XtrFile.h"

#include <urlmon.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace {
// Whether Windows' security zones put the server in the local network (Local Machine, Local Intranet, Trusted
// Sites): a file call elsewhere would sign in to a stranger's server with the user's credentials. The server
// alone is asked about, a name ProgramPlaceOf found plain; urlmon is loaded at the first, not at start-up.
bool InLocalNetwork(std::wstring_view server) {
    static IInternetSecurityManager* const zones = []() -> IInternetSecurityManager* {
        const auto create = SystemFunction<decltype(::CoInternetCreateSecurityManager)>(
            L"urlmon.dll", "CoInternetCreateSecurityManager");
        IInternetSecurityManager* made = nullptr;
        return create != nullptr && SUCCEEDED(create(nullptr, &made, 0)) ? made : nullptr;
    }();
    const std::wstring url = L"file://" + std::wstring(server) + L"/";
    DWORD zone = DWORD(URLZONE_INVALID);
    return zones != nullptr && SUCCEEDED(zones->MapUrlToZone(url.c_str(), &zone, 0)) &&
           zone <= URLZONE_TRUSTED;
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
        // Adds the entry when the table has room; a file left out is reported once
        // per scan, under the step it was found in.
        const auto added = [&](const std::wstring& name, const std::wstring& folder, bool active) {
            ++catalogue.filesFound;
            if (static_cast<size_t>(catalogue.XtrCount) >= maxEntries) {
                if (catalogue.filesFound == maxEntries + 1) {
                    ReportError(Err::Overflow, L"Module1.ScanXTR,  Line " + std::to_wstring(marker));
                }
                return false;
            }
            ++catalogue.XtrCount;
            XtrRecord& entry = table.emplace_back();
            entry.fileName = name;
            entry.folder = folder;
            entry.active = active;
            return true;
        };
        marker = 1;
        // Each listing is read to its end before any file is read.
        const std::vector<std::wstring> activeNames = ListXtrFiles(HostFolder);
        marker = 2;
        const std::wstring savedFolder = SavedXtrFolder();
        table.reserve(std::min(activeNames.size(), maxEntries) + 1);
        for (const std::wstring& name : activeNames) {
            if (added(name, HostFolder, true)) {
                marker = 3;
                ReadXTR(table.back());
                marker = 4;
            }
        }

        marker = 5;
        const std::vector<std::wstring> savedNames = ListXtrFiles(savedFolder);
        table.reserve(std::min(table.size() + savedNames.size(), maxEntries + 1));
        for (const std::wstring& name : savedNames) {
            if (added(name, savedFolder, false)) {
                marker = 6;
                ReadXTR(table.back());
            }
        }

        marker = 7;
        // Each program is judged on the path the system will open, and looked for there: on a share by
        // ServerLooks, else at once. A server's zone and a drive's kind are asked once a scan.
        std::vector<std::pair<std::wstring, bool>> asked; // servers and drives: whether looked at on a share
        const auto onShare = [&](const ProgramPlace& place) {
            for (const auto& [name, share] : asked) {
                if (EqualsIgnoringCase(name, place.server)) {
                    return share;
                }
            }
            const std::wstring name(place.server);
            return asked
                .emplace_back(name, place.kind == ProgramPlace::Kind::Share
                                        ? InLocalNetwork(name)
                                        : ::GetDriveTypeW((name + L"\\").c_str()) == DRIVE_REMOTE)
                .second;
        };
        std::vector<std::pair<std::wstring, XtrRecord*>> wanted;
        for (size_t i = 1; i < table.size(); ++i) {
            XtrRecord& entry = table[i];
            marker = 8;
            entry.programFound = false;
            const ProgramPathView path = ProgramPathOf(entry);
            entry.programAbsolute =
                JoinProgramPath(L"", path).empty() ? L"" : FullPathOf(ProgramPathAbsoluteOf(path, setting));
            const ProgramPlace place = ProgramPlaceOf(entry.programAbsolute);
            const bool share = place.kind == ProgramPlace::Kind::Share;
            if (entry.programAbsolute.empty() || place.kind == ProgramPlace::Kind::NoFile) {
                continue; // names no one file
            }
            if (place.kind == ProgramPlace::Kind::Untold || (share && !onShare(place))) {
                entry.programLook = ProgramLook::NotContacted;
            } else if (share || onShare(place)) {
                wanted.emplace_back(share ? L"\\\\" + std::wstring(place.server) + L"\\" +
                                                std::wstring(place.share)
                                          : std::wstring(place.server),
                                    &entry);
            } else {
                // A path the system refuses as a name is that entry's own problem: not found, reported, and
                // the next entry goes on.
                Trap(L"Module1.ScanXTR,  Line ", marker,
                     [&] { entry.programFound = NormalFileAt(entry.programAbsolute); });
            }
        }
        looks.Look(wanted);
    });
    return catalogue;
}

// Shared by the scans and the looks' threads.
struct ServerLooks::Shared {
    struct Share {
        std::wstring name;
        std::deque<std::wstring> queue; // to be looked at, in order
        std::wstring current;           // being looked at
        bool looking = false;           // its thread is alive
    };
    struct Answer {
        bool found = false;
        std::exception_ptr failure; // what the look raised
        unsigned scan = 0;          // the last scan begun when the look ended
    };
    std::mutex lock;
    std::condition_variable answered;
    unsigned scans = 0;
    std::vector<Share> shares;
    std::map<std::wstring, Answer> answers; // by program

    // The thread of the share named: its programs one after another, until none is left.
    static void LookAtShare(const std::shared_ptr<Shared>& shared, const std::wstring& name) {
        std::unique_lock hold(shared->lock);
        for (;;) {
            // Found afresh each time: the scans add shares, and drop only those without a thread.
            Share& share = *std::find_if(shared->shares.begin(), shared->shares.end(),
                                         [&](const Share& known) { return known.name == name; });
            if (share.queue.empty()) {
                share.current.clear();
                share.looking = false;
                return;
            }
            const std::wstring program = share.current = share.queue.front();
            share.queue.pop_front();
            hold.unlock();
            Answer answer;
            try {
                answer.found = NormalFileAt(program);
            } catch (...) {
                answer.failure = std::current_exception(); // raised again where the scan reads it
            }
            hold.lock();
            answer.scan = shared->scans;
            shared->answers[program] = std::move(answer);
            shared->answered.notify_all();
        }
    }
};

ServerLooks::ServerLooks() : shared_(std::make_shared<Shared>()) {}

void ServerLooks::Look(const std::vector<std::pair<std::wstring, XtrRecord*>>& wanted) {
    Shared& shared = *shared_;
    std::unique_lock hold(shared.lock);
    const unsigned scan = ++shared.scans;
    std::erase_if(shared.answers, [&](const auto& answer) {
        return std::none_of(wanted.begin(), wanted.end(),
                            [&](const auto& one) { return one.second->programAbsolute == answer.first; });
    });
    std::erase_if(shared.shares, [](const Shared::Share& share) { return !share.looking; });
    for (Shared::Share& share : shared.shares) {
        share.queue.clear(); // a share no longer wanted ends with the look it is in
    }
    for (const auto& [name, entry] : wanted) {
        auto share =
            std::find_if(shared.shares.begin(), shared.shares.end(),
                         [&](const Shared::Share& known) { return EqualsIgnoringCase(known.name, name); });
        if (share == shared.shares.end()) {
            share = shared.shares.insert(shared.shares.end(), Shared::Share());
            share->name = name;
        }
        if (share->current != entry->programAbsolute &&
            std::find(share->queue.begin(), share->queue.end(), entry->programAbsolute) ==
                share->queue.end()) {
            share->queue.push_back(entry->programAbsolute);
        }
    }
    // Those never answered first, then the oldest answers: each program has its turn, however often F5.
    const auto answeredIn = [&](const std::wstring& program) {
        const auto answer = shared.answers.find(program);
        return answer != shared.answers.end() ? answer->second.scan : 0;
    };
    for (Shared::Share& share : shared.shares) {
        std::stable_sort(share.queue.begin(), share.queue.end(), [&](const auto& one, const auto& other) {
            return answeredIn(one) < answeredIn(other);
        });
        if (!share.looking && !share.queue.empty()) {
            std::thread(&Shared::LookAtShare, shared_, share.name).detach();
            share.looking = true;
        }
    }
    shared.answered.wait_until(hold, std::chrono::steady_clock::now() + kServerAnswerTime, [&] {
        return std::all_of(wanted.begin(), wanted.end(),
                           [&](const auto& one) { return answeredIn(one.second->programAbsolute) == scan; });
    });
    for (const auto& [name, entry] : wanted) {
        const auto answer = shared.answers.find(entry->programAbsolute);
        if (answer == shared.answers.end()) {
            entry->programLook = ProgramLook::ServerSilent;
            continue;
        }
        Trap(L"Module1.ScanXTR,  Line 8", [&] {
            if (answer->second.failure) {
                std::rethrow_exception(answer->second.failure);
            }
            entry->programFound = answer->second.found;
        });
    }
}
