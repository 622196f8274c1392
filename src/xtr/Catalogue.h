#pragma once
// The catalogue: every XTR file of the UI-View32 folder and of SavedXTR, as
// one scan found them. It is a value: the main window owns the one it shows
// and hands its entries to the commands and the editor; a scan makes a new one.
#include "rules/XtrRecord.h"

#include <windows.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// How long a scan waits, in all, for the shares its programs live on.
inline constexpr std::chrono::milliseconds kServerAnswerTime{500};

// The looks at programs on network shares ("\\server\share", a drive mapped to one), kept from scan to scan:
// a share has at most one thread alive, looking at its programs one after another and keeping each answer as
// it comes. A scan asks for all its programs afresh and waits at most kServerAnswerTime for them all
// together; each is then shown by its newest answer (given in time, or kept from a look that ended after an
// earlier scan's wait), and one never answered is silent. What a scan no longer wants loses its answer and
// its turn.
class ServerLooks {
  public:
    ServerLooks();
    // Looks at the entries' programs (each on its share, both as the system opens them), and sets each
    // entry's programFound, or its programLook to ServerSilent. A scan of local programs starts no thread.
    void Look(const std::vector<std::pair<std::wstring, XtrRecord*>>& wanted);

  private:
    struct Shared; // with the threads, which may outlive this
    std::shared_ptr<Shared> shared_;
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
// application exists: a normal file at the path the system opens for it (the entry keeps that path), looked
// at on a server only inside the local network (by Windows' security zones); setting is UI-View32's folder
// setting as ReadHostFolderSetting gives it, read once by the caller, against which every program path is
// taken; looks holds the looks at network shares, and what they kept, from earlier scans. Reports its own
// failures. At most maxEntries are listed: files beyond that are left out (reported once), and every entry
// listed is still tested.
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
