#pragma once
// The scan's existence test of each entry's program, kept from waiting a
// network timeout for every entry of a server that does not answer.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

// How long a scan waits for a server's first answer.
inline constexpr std::chrono::milliseconds kServerAnswerTime{500};

// Whether the program of the entry at index exists at program, its absolute
// path; sets the entry's serverSilent. The first program of each server in a
// scan (a network path's "\\server", or a drive letter mapped to a share) is
// looked for on a thread of its own, waited for at most kServerAnswerTime:
// a server that has not answered by then is silent for the rest of the scan,
// and each of its programs is not found without being looked for. The thread
// left waiting ends on its own. Every other program is looked for at once,
// as a listing of its path (AnyNormalFile), which raises what that raises.
// Called for the entries of one scan in order: index 1 begins a scan, and
// forgets what the last scan learnt of servers.
bool ProgramFound(std::int16_t index, const std::wstring& program);

// The look for a server's first program, done on the waiting thread. A test
// installs a function here to stand for a server that answers late or at
// once; empty means the real thing.
using ProgramProbe = std::function<bool(const std::wstring& program)>;
ProgramProbe& ProgramProbeForTests();
