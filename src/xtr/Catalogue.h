#pragma once
// The catalogue: every XTR file of the UI-View32 folder and of SavedXTR, as
// one scan found them. It is a value: the main window owns the one it shows
// and hands its entries to the commands and the editor; a scan makes a new one.
#include "rules/XtrRecord.h"

#include <windows.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <future>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

// The scan's existence test of the entries' programs, kept from waiting a network timeout for every entry of
// a server that does not answer, and from signing in to a server outside the local network at all.

// How long a scan waits, in all, for the shares its programs live on.
inline constexpr std::chrono::milliseconds kServerAnswerTime{500};

// The looks at the shares ("\\server\share", a drive mapped to one) of the scans' programs. A scan looks for
// the first program of every share at once, each on a thread of its own owning copies of what it uses, and
// waits at most kServerAnswerTime for all of them together: a share that has not answered by then is silent
// for the rest of the scan. A look outlives its scan, so the next scan counts its share silent rather than
// start another thread; an ended look is forgotten. A share outside the local network (by Windows' security
// zones) is never looked at. A scan of local programs starts no thread and asks no zone.
class ServerLooks {
  public:
    // Begins a scan of programs: how each one is to be checked.
    std::vector<ProgramLook> Start(const std::vector<std::wstring>& programs);

    // Whether a normal file stands at program (a Looked one of the last Start): the answer of its share's
    // look when that looked at it, else a listing now. Raises what the listing raised.
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

// The table is indexed by a signed 16-bit number: one entry more is an overflow.
inline constexpr std::size_t kMaxXtrEntries = std::numeric_limits<std::int16_t>::max();

struct XtrCatalogue {
    // Element 0 is a blank record; the entries are 1 to XtrCount, active files
    // first, each in the order its folder's listing gave it.
    std::vector<XtrRecord> XtrTable = std::vector<XtrRecord>(1);
    std::int16_t XtrCount = 0;
    // How many XTR files the scan found in both folders, listed or not.
    std::size_t filesFound = 0;

    // The entry at index; raises "Subscript out of range" outside the table.
    const XtrRecord& Entry(int index) const;
    // The index of the entry whose file is folder\fileName (letter case
    // aside), or 0 when no such file is listed.
    std::int16_t IndexOfFile(const std::wstring& folder, const std::wstring& fileName) const;
};

// Lists HostFolder (active files first) and SavedXTR, reads every XTR file and tests whether each entry's
// application exists; setting is UI-View32's folder setting as stored, read once by the caller, against which
// every program path is taken (the entry keeps the absolute path it looked for); looks holds the looks at
// network shares still running from earlier scans. Reports its own failures. At most maxEntries are listed:
// files beyond that are left out (reported once), and every entry listed is still tested.
XtrCatalogue ScanXTR(std::wstring_view setting, ServerLooks& looks, std::size_t maxEntries = kMaxXtrEntries);

// When the scan left files out, one message says how many of how many are listed.
void TellFilesLeftOut(HWND owner, const XtrCatalogue& catalogue);

// Where the user's place is to be after a rescan: the entry of the file folder\fileName (letter case aside)
// while it is listed; else the data row `row`, clamped to the list (so after a delete the next entry takes
// the place, or the one before at the end); row 0 is the row current now.
struct CataloguePlace {
    std::wstring folder;
    std::wstring fileName;
    int row = 1;
};
