#include "xtr/Catalogue.h"

#include "host/HostFolder.h"
#include "rules/AppInfo.h"
#include "rules/ErrorTable.h"
#include "rules/Trap.h"
#include "rules/XtrTable.h"
#include "system/Win32.h"
#include "toolkit/Ui.h"
#include "xtr/FileListing.h"
#include "xtr/ProgramCheck.h"
#include "xtr/ProgramPaths.h"
#include "xtr/XtrFile.h"

#include <algorithm>
#include <limits>

namespace {
// The table is indexed by a signed 16-bit number: one entry more is an overflow.
constexpr size_t kMaxEntries = std::numeric_limits<std::int16_t>::max();

std::size_t filesFound = 0;

// State kept between commands: a look at a share that outlives its scan keeps
// the next scans from starting another at the same share.
ServerLooks serverLooks;

// Adds the entry when the table has room; a file left out is reported once
// per scan, under the step it was found in.
bool AddEntry(const std::wstring& name, const std::wstring& folder, bool active, std::size_t maxEntries,
              int marker) {
    ++filesFound;
    if (static_cast<size_t>(XtrCount) >= maxEntries) {
        if (filesFound == maxEntries + 1) {
            ReportError(Err::Overflow, L"Module1.ScanXTR,  Line " + std::to_wstring(marker));
        }
        return false;
    }
    ++XtrCount;
    XtrRecord& entry = XtrTable.emplace_back();
    entry.fileName = name;
    entry.folder = folder;
    entry.active = active;
    return true;
}
} // namespace

void ScanXTR() { ScanCatalogue(kMaxEntries); }

std::size_t XtrFilesFound() { return filesFound; }

void TellFilesLeftOut(HWND owner) {
    if (filesFound <= static_cast<size_t>(XtrCount)) {
        return;
    }
    Ui::ShowMessage(owner,
                    L"Quillon lists " + std::to_wstring(XtrCount) + L" of the " +
                        std::to_wstring(filesFound) +
                        L" XTR files in the UI-View32 folder and SavedXTR: it cannot list more than " +
                        std::to_wstring(kMaxEntries) + L".",
                    AppTitle, MB_OK | MB_ICONINFORMATION);
}

void ScanCatalogue(std::size_t maxEntries) {
    maxEntries = std::min(maxEntries, kMaxEntries);
    int marker = 0;
    filesFound = 0;
    Trap(L"Module1.ScanXTR,  Line ", marker, [&] {
        XtrCount = 0;
        XtrTable.assign(1, XtrRecord{});
        // Read once per scan: every entry's program is taken against the same
        // folder, and a setting that cannot be read is told once, not per entry.
        const std::wstring setting = ReadHostFolderSetting();
        marker = 1;

        // Each listing is read to its end before any file is read.
        const std::vector<std::wstring> activeNames = ListXtrFiles(HostFolder);
        marker = 2;
        const std::wstring savedFolder = SavedXtrFolder();
        XtrTable.reserve(std::min(activeNames.size(), maxEntries) + 1);
        for (const std::wstring& name : activeNames) {
            if (AddEntry(name, HostFolder, true, maxEntries, marker)) {
                marker = 3;
                ReadXTR(XtrTable.back());
                marker = 4;
            }
        }

        marker = 5;
        const std::vector<std::wstring> savedNames = ListXtrFiles(savedFolder);
        XtrTable.reserve(std::min(XtrTable.size() + savedNames.size(), maxEntries + 1));
        for (const std::wstring& name : savedNames) {
            if (AddEntry(name, savedFolder, false, maxEntries, marker)) {
                marker = 6;
                ReadXTR(XtrTable.back());
            }
        }

        marker = 7;
        const int count = XtrCount;
        std::vector<std::wstring> programs;
        programs.reserve(static_cast<size_t>(count));
        for (int i = 1; i <= count; ++i) {
            programs.push_back(ProgramPathAbsolute(XtrEntry(i), setting));
        }
        // A server that does not answer costs the scan one short wait, not a
        // network timeout for each of its programs.
        const std::vector<ProgramLook> looks = serverLooks.Start(programs);
        for (int i = 1; i <= count; ++i) {
            const std::wstring& program = programs[static_cast<size_t>(i - 1)];
            XtrRecord& entry = XtrEntry(i);
            marker = 8;
            entry.programLook = looks[static_cast<size_t>(i - 1)];
            // A path the system refuses as a name (a "|" in a folder name) is that
            // entry's own problem: not found, reported, and the next entry goes on.
            bool found = false;
            if (entry.programLook == ProgramLook::Looked) {
                Trap(L"Module1.ScanXTR,  Line ", marker, [&] { found = serverLooks.Exists(program); });
            }
            if (!found) {
                marker = 9;
            }
            entry.programFound = found;
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
