#include "xtr/ProgramCheck.h"

#include "rules/HostPaths.h"
#include "system/Win32.h"
#include "toolkit/Ui.h"
#include "xtr/FileListing.h"

#include <urlmon.h>

#include <algorithm>
#include <thread>
#include <utility>

namespace {
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

// Whether Windows' security zones put the share in the local network (Local
// Machine, Local Intranet, Trusted Sites): a file call elsewhere would sign in
// to a stranger's server with the user's credentials. urlmon is loaded at the
// first network path, not at start-up.
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
    return probe && !NetworkServerOf(program).empty() ? probe(program) : AnyNormalFile(program);
}
} // namespace

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
