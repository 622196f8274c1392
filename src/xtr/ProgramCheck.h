#pragma once
// The scan's existence test of the entries' programs, kept from waiting a
// network timeout for every entry of a server that does not answer, and from
// signing in to a server outside the local network at all.
#include "rules/XtrRecord.h"

#include <chrono>
#include <future>
#include <string>
#include <vector>

// How long a scan waits, in all, for the shares its programs live on.
inline constexpr std::chrono::milliseconds kServerAnswerTime{500};

// The looks at the shares ("\\server\share", a drive mapped to one) of the
// scans' programs. A scan looks for the first program of every share at once,
// each on a thread of its own owning copies of what it uses, and waits at most
// kServerAnswerTime for all of them together: a share that has not answered by
// then is silent for the rest of the scan. A look outlives its scan, so the
// next scan counts its share silent rather than start another thread; an
// ended look is forgotten. A share outside the local network (by Windows'
// security zones) is never looked at. A scan of local programs starts no
// thread and asks no zone.
class ServerLooks {
  public:
    // Begins a scan of programs: how each one is to be checked.
    std::vector<ProgramLook> Start(const std::vector<std::wstring>& programs);

    // Whether a normal file stands at program (a Looked one of the last
    // Start): the answer of its share's look when that looked at it, else a
    // listing now. Raises what the listing raised.
    bool Exists(const std::wstring& program) const;

  private:
    struct Share {
        std::wstring name;
        ProgramLook how = ProgramLook::Looked; // in the last scan
        std::wstring program;                  // looked at
        std::shared_future<bool> answer;       // of that look; none when not started
    };
    std::vector<Share> shares_; // the last scan's, and earlier ones' still looking
};
