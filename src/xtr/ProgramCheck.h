#pragma once
// The scan's existence test of the entries' programs, kept from waiting a
// network timeout for every entry of a server that does not answer.
#include <chrono>
#include <functional>
#include <string>
#include <vector>

// How long a scan waits, in all, for the servers its programs live on.
inline constexpr std::chrono::milliseconds kServerAnswerTime{500};

// What one scan learns of the servers its programs live on (a network path's
// "\\server", a drive mapped to a share). Made with the scan's programs, it
// looks for the first program of every server at once, each on a thread of
// its own, and waits at most kServerAnswerTime for all of them together: a
// server that has not answered by then is silent for the rest of the scan.
// A thread left waiting ends on its own, owning copies of what it uses. A scan
// whose programs are all local starts no thread.
class ServerCheck {
  public:
    explicit ServerCheck(const std::vector<std::wstring>& programs);

    // The program's server did not answer in time: it is not looked for.
    bool Silent(const std::wstring& program) const;

  private:
    std::vector<std::wstring> silent_;
};

// Whether a normal file stands at program: a listing of its path, as the
// scan has always made it (AnyNormalFile), or what a test put in its place
// for a program on a server.
bool ProgramExists(const std::wstring& program);

// A look at a program on a server, for a test to stand for a server that
// answers late or at once (Wine has no network shares); empty means the real
// listing.
using ProgramProbe = std::function<bool(const std::wstring& program)>;
ProgramProbe& ProgramProbeForTests();
