#include "xtr/Catalogue.h"

#include "host/HostFolder.h"
#include "rules/AppInfo.h"
#include "rules/ErrorTable.h"
#include "rules/Trap.h"
#include "system/Win32.h"
#include "toolkit/Ui.h"
#include "xtr/FileListing.h"
#include "xtr/ProgramCheck.h"
#include "rules/HostPaths.h"
#include "xtr/XtrFile.h"

#include <algorithm>
#include <limits>

namespace {
// Adds the entry when the table has room; a file left out is reported once
// per scan, under the step it was found in.
bool AddEntry(XtrCatalogue& catalogue, const std::wstring& name, const std::wstring& folder, bool active,
              std::size_t maxEntries, int marker) {
    ++catalogue.filesFound;
    if (static_cast<size_t>(catalogue.XtrCount) >= maxEntries) {
        if (catalogue.filesFound == maxEntries + 1) {
            ReportError(Err::Overflow, L"Module1.ScanXTR,  Line " + std::to_wstring(marker));
        }
        return false;
    }
    ++catalogue.XtrCount;
    XtrRecord& entry = catalogue.XtrTable.emplace_back();
    entry.fileName = name;
    entry.folder = folder;
    entry.active = active;
    return true;
}
} // namespace

const XtrRecord& XtrCatalogue::Entry(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= XtrTable.size()) {
        Raise(Err::SubscriptOutOfRange);
    }
    return XtrTable[static_cast<size_t>(index)];
}

std::int16_t XtrCatalogue::IndexOfFile(const std::wstring& folder, const std::wstring& fileName) const {
    for (size_t i = 1; i < XtrTable.size(); ++i) {
        if (EqualsIgnoringCase(XtrTable[i].fileName, fileName) &&
            EqualsIgnoringCase(XtrTable[i].folder, folder)) {
            return static_cast<std::int16_t>(i);
        }
    }
    return 0;
}

void TellFilesLeftOut(HWND owner, const XtrCatalogue& catalogue) {
    if (catalogue.filesFound <= static_cast<size_t>(catalogue.XtrCount)) {
        return;
    }
    Ui::ShowMessage(owner,
                    L"Quillon lists " + std::to_wstring(catalogue.XtrCount) + L" of the " +
                        std::to_wstring(catalogue.filesFound) +
                        L" XTR files in the UI-View32 folder and SavedXTR: it cannot list more than " +
                        std::to_wstring(kMaxXtrEntries) + L".",
                    AppTitle, MB_OK | MB_ICONINFORMATION);
}

XtrCatalogue ScanXTR(std::wstring_view setting, ServerLooks& looks, std::size_t maxEntries) {
    maxEntries = std::min(maxEntries, kMaxXtrEntries);
    XtrCatalogue catalogue;
    std::vector<XtrRecord>& table = catalogue.XtrTable;
    int marker = 0;
    Trap(L"Module1.ScanXTR,  Line ", marker, [&] {
        marker = 1;
        // Each listing is read to its end before any file is read.
        const std::vector<std::wstring> activeNames = ListXtrFiles(HostFolder);
        marker = 2;
        const std::wstring savedFolder = SavedXtrFolder();
        table.reserve(std::min(activeNames.size(), maxEntries) + 1);
        for (const std::wstring& name : activeNames) {
            if (AddEntry(catalogue, name, HostFolder, true, maxEntries, marker)) {
                marker = 3;
                ReadXTR(table.back());
                marker = 4;
            }
        }

        marker = 5;
        const std::vector<std::wstring> savedNames = ListXtrFiles(savedFolder);
        table.reserve(std::min(table.size() + savedNames.size(), maxEntries + 1));
        for (const std::wstring& name : savedNames) {
            if (AddEntry(catalogue, name, savedFolder, false, maxEntries, marker)) {
                marker = 6;
                ReadXTR(table.back());
            }
        }

        marker = 7;
        std::vector<std::wstring> programs;
        programs.reserve(table.size() - 1);
        for (size_t i = 1; i < table.size(); ++i) {
            table[i].programAbsolute = ProgramPathAbsoluteOf(ProgramPathOf(table[i]), setting);
            programs.push_back(table[i].programAbsolute);
        }
        // A server that does not answer costs the scan one short wait, not a
        // network timeout for each of its programs.
        const std::vector<ProgramLook> how = looks.Start(programs);
        for (size_t i = 1; i < table.size(); ++i) {
            XtrRecord& entry = table[i];
            marker = 8;
            entry.programLook = how[i - 1];
            // A path the system refuses as a name (a "|" in a folder name) is that
            // entry's own problem: not found, reported, and the next entry goes on.
            bool found = false;
            if (entry.programLook == ProgramLook::Looked) {
                Trap(L"Module1.ScanXTR,  Line ", marker,
                     [&] { found = looks.Exists(entry.programAbsolute); });
            }
            if (!found) {
                marker = 9;
            }
            entry.programFound = found;
            marker = 8;
        }
    });
    return catalogue;
}
