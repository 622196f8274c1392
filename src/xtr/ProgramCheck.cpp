#include "xtr/ProgramCheck.h"

#include "rules/HostPaths.h"
#include "system/Win32.h"
#include "xtr/FileListing.h"

#include <algorithm>
#include <chrono>
#include <future>
#include <thread>
#include <utility>

namespace {
// The server a program lives on: "\\server" of a network path, or the drive
// of a path on a drive mapped to a share; empty for a local program.
std::wstring ServerOf(const std::wstring& program) {
    const std::wstring_view server = NetworkServerOf(program);
    if (!server.empty()) {
        return L"\\\\" + std::wstring(server);
    }
    if (program.size() >= 2 && program[1] == L':' &&
        ::GetDriveTypeW((program.substr(0, 2) + L"\\").c_str()) == DRIVE_REMOTE) {
        return program.substr(0, 2);
    }
    return {};
}

bool Contains(const std::vector<std::wstring>& servers, const std::wstring& server) {
    return std::any_of(servers.begin(), servers.end(),
                       [&](const std::wstring& known) { return EqualsIgnoringCase(known, server); });
}

// Looks for the program on a thread that owns a copy of everything it needs,
// so that it may outlive the wait; a failure of the look is an answer too.
std::future<void> LookOnAThreadOfItsOwn(const std::wstring& program) {
    std::packaged_task<void()> look([probe = ProgramProbeForTests(), program] {
        try {
            probe ? probe(program) : AnyNormalFile(program);
        } catch (...) {
            // The server answered; the scan's own look says what failed.
        }
    });
    std::future<void> answer = look.get_future();
    std::thread(std::move(look)).detach();
    return answer;
}
} // namespace

ServerCheck::ServerCheck(const std::vector<std::wstring>& programs) {
    // Drives are asked once each: a scan of local programs costs a few calls, no thread.
    std::vector<std::wstring> drives;
    std::vector<std::wstring> servers;
    std::vector<std::future<void>> answers;
    for (const std::wstring& program : programs) {
        if (program.size() >= 2 && program[1] == L':' && Contains(drives, program.substr(0, 2))) {
            continue;
        }
        const std::wstring server = ServerOf(program);
        if (program.size() >= 2 && program[1] == L':' && server.empty()) {
            drives.push_back(program.substr(0, 2));
        }
        if (!server.empty() && !Contains(servers, server)) {
            servers.push_back(server);
            answers.push_back(LookOnAThreadOfItsOwn(program));
        }
    }
    const auto deadline = std::chrono::steady_clock::now() + kServerAnswerTime;
    for (size_t i = 0; i < servers.size(); ++i) {
        if (answers[i].wait_until(deadline) != std::future_status::ready) {
            silent_.push_back(servers[i]);
        }
    }
}

bool ServerCheck::Silent(const std::wstring& program) const {
    if (silent_.empty()) {
        return false;
    }
    const std::wstring server = ServerOf(program);
    return !server.empty() && Contains(silent_, server);
}

bool ProgramExists(const std::wstring& program) {
    const ProgramProbe& probe = ProgramProbeForTests();
    if (probe && !ServerOf(program).empty()) {
        return probe(program);
    }
    return AnyNormalFile(program);
}

ProgramProbe& ProgramProbeForTests() {
    static ProgramProbe probe;
    return probe;
}
