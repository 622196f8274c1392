#include "xtr/Catalogue.h"

#include "common/ErrorTable.h"
#include "common/Trap.h"
#include "common/Win32.h"
#include "host/HostFolder.h"
#include "xtr/FileListing.h"
#include "xtr/ProgramPaths.h"
#include "xtr/XtrFile.h"
#include "xtr/XtrTable.h"

#include <algorithm>
#include <limits>

namespace {
// The table is indexed by a signed 16-bit number: one entry more is an overflow.
constexpr size_t kMaxEntries = std::numeric_limits<std::int16_t>::max();

void AddEntry(const std::wstring& name, const std::wstring& folder, bool active) {
    if (static_cast<size_t>(XtrCount) == kMaxEntries) {
        Raise(Err::Overflow);
    }
    ++XtrCount;
    XtrRecord& entry = XtrTable.emplace_back();
    entry.fileName = name;
    entry.folder = folder;
    entry.active = active;
}
} // namespace

void ScanXTR() {
    int marker = 0;
    Trap(L"Module1.ScanXTR,  Line ", marker, [&] {
        XtrCount = 0;
        XtrTable.assign(1, XtrRecord{});
        marker = 1;

        // Each listing is read to its end before any file is read.
        const std::vector<std::wstring> activeNames = ListXtrFiles(HostFolder);
        marker = 2;
        const std::wstring savedFolder = SavedXtrFolder();
        XtrTable.reserve(std::min<size_t>(activeNames.size(), kMaxEntries) + 1);
        for (const std::wstring& name : activeNames) {
            AddEntry(name, HostFolder, true);
            marker = 3;
            ReadXTR(XtrCount);
            marker = 4;
        }

        marker = 5;
        const std::vector<std::wstring> savedNames = ListXtrFiles(savedFolder);
        XtrTable.reserve(std::min<size_t>(XtrTable.size() + savedNames.size(), kMaxEntries + 1));
        for (const std::wstring& name : savedNames) {
            AddEntry(name, savedFolder, false);
            marker = 6;
            ReadXTR(XtrCount);
        }

        marker = 7;
        const int count = XtrCount;
        for (int i = 1; i <= count; ++i) {
            const std::wstring program = ProgramPathAbsolute(static_cast<std::int16_t>(i));
            marker = 8;
            // A path the system refuses as a name (a "|" in a folder name) is that
            // entry's own problem: not found, reported, and the next entry goes on.
            bool found = false;
            Trap(L"Module1.ScanXTR,  Line ", marker, [&] { found = AnyNormalFile(program); });
            if (!found) {
                marker = 9;
            }
            XtrEntry(i).programFound = found;
            marker = 8;
        }
    });
}

std::int16_t IndexOfFile(const std::wstring& folder, const std::wstring& fileName) {
    for (size_t i = 1; i < XtrTable.size(); ++i) {
        if (EqualsIgnoringCase(XtrTable[i].fileName, fileName) &&
            EqualsIgnoringCase(XtrTable[i].folder, folder)) {
            return static_cast<std::int16_t>(i);
        }
    }
    return 0;
}
