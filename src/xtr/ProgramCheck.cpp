#include "xtr/ProgramCheck.h"

#include "rules/HostPaths.h"
#include "rules/XtrTable.h"
#include "system/Win32.h"
#include "xtr/FileListing.h"

#include <algorithm>
#include <future>
#include <thread>
#include <utility>
#include <vector>

namespace {
// What this scan has learnt of each server or drive ("\\server", "X:"): whether
// it stayed silent. A scan meets few of them, so a list does.
std::vector<std::pair<std::wstring, bool>> learnt;

// The server a program lives on: "\\server" of a network path, or the drive of
// a path with one (told local or mapped when first met); empty for a path that
// depends on the current folder.
std::wstring PlaceOf(const std::wstring& program) {
    const std::wstring_view server = NetworkServerOf(program);
    if (!server.empty()) {
        return L"\\\\" + std::wstring(server);
    }
    if (program.size() >= 2 && program[1] == L':') {
        return program.substr(0, 2);
    }
    return {};
}

// Looks for the program on a thread that owns a copy of everything it needs,
// so that it may outlive the wait; what it raises comes with its answer.
std::future<bool> LookOnAThreadOfItsOwn(const std::wstring& program) {
    const ProgramProbe& probe = ProgramProbeForTests();
    std::packaged_task<bool()> look(
        [probe = probe ? probe : ProgramProbe(AnyNormalFile), program] { return probe(program); });
    std::future<bool> answer = look.get_future();
    std::thread(std::move(look)).detach();
    return answer;
}
} // namespace

bool ProgramFound(std::int16_t index, const std::wstring& program) {
    if (index == 1) {
        learnt.clear();
    }
    XtrRecord& entry = XtrEntry(index);
    entry.serverSilent = false;
    const std::wstring place = PlaceOf(program);
    if (place.empty()) {
        return AnyNormalFile(program);
    }
    const auto known = std::find_if(learnt.begin(), learnt.end(),
                                    [&](const auto& seen) { return EqualsIgnoringCase(seen.first, place); });
    if (known != learnt.end()) {
        entry.serverSilent = known->second;
        return !entry.serverSilent && AnyNormalFile(program);
    }
    if (!place.starts_with(L"\\\\") && ::GetDriveTypeW((place + L"\\").c_str()) != DRIVE_REMOTE) {
        learnt.emplace_back(place, false); // a local drive: never waited for
        return AnyNormalFile(program);
    }
    std::future<bool> answer = LookOnAThreadOfItsOwn(program);
    entry.serverSilent = answer.wait_for(kServerAnswerTime) != std::future_status::ready;
    learnt.emplace_back(place, entry.serverSilent);
    return !entry.serverSilent && answer.get();
}

ProgramProbe& ProgramProbeForTests() {
    static ProgramProbe probe;
    return probe;
}
