#include "xtr/FileOps.h"

#include "host/HostFolder.h"
#include "rules/ErrorTable.h"
#include "rules/Trap.h"
#include "system/Win32.h"
#include "xtr/FileListing.h"
#include "xtr/XtrFile.h"

#include <optional>

namespace {
// A folder of the catalogue that is gone (renamed, a drive unplugged, a plain
// file in its place) fails the command; a file alone that is gone is only
// what the rescan will show.
void RequireFolder(const std::wstring& folder) {
    if (const std::optional<NoFolder> problem = WhyNoFolderAt(folder)) {
        throw TrapError(problem->number, 0, folder);
    }
}
} // namespace

TrapResult ActiveChanged(const XtrRecord& entry, const Replacing& replacing) {
    return Trap(L"Module1.ActiveChanged", [&] {
        const std::wstring sourceFolder = CatalogueFolder(!entry.active);
        const std::wstring destinationFolder = CatalogueFolder(entry.active);
        const std::wstring source = JoinPath(sourceFolder, entry.fileName);
        const std::wstring destination = JoinPath(destinationFolder, entry.fileName);
        RequireFolder(destinationFolder);
        // A file that is no longer there (another program moved it) is no error:
        // the rescan shows the disk. The listing sees ordinary files only.
        bool listed = false;
        ListNormalFiles(source, [&](std::wstring_view name) {
            listed = EqualsIgnoringCase(name, entry.fileName);
            return !listed;
        });
        if (!listed) {
            RequireFolder(sourceFolder);
            return;
        }
        // Renamed, not rewritten: the file keeps its bytes.
        FileChange change(replacing);
        if (IsFileAt(destination)) {
            change.Replace(destination);
        }
        change.Move(source, destination);
        change.Commit();
    });
}

TrapResult FilenameChanged(const XtrRecord& entry, const XtrRecord& loaded, std::wstring_view setting,
                           const Replacing& replacing) {
    TrapResult written;
    const TrapResult renamed = Trap(L"Module1.FilenameChanged", [&] {
        const std::wstring oldPath = JoinPath(loaded.folder, loaded.fileName);
        const std::wstring newPath = JoinPath(entry.folder, entry.fileName);
        if (EqualsIgnoringCase(oldPath, newPath)) {
            // Both names denote one file: rename it to the new spelling, then rewrite it in place.
            if (oldPath != newPath) {
                RenameLetterCase(oldPath, newPath);
            }
            written = ContentChanged(entry, setting);
            return;
        }
        FileChange change(replacing);
        if (IsFileAt(newPath)) {
            change.Replace(newPath); // someone else's: the caller has asked the user
        }
        // The old file holds what the new one carries, unless another program
        // wrote into it since: then it goes into the Recycle Bin, not away.
        const FileNow old = ReadFileNow(oldPath);
        if (old.state == FileNow::State::Read && old.bytes != entry.bytes) {
            change.Replace(oldPath);
        } else {
            change.Drop(oldPath);
        }
        written = ContentChanged(entry, setting, &change);
        if (written) {
            change.Commit();
        }
    });
    return written ? renamed : written;
}

TrapResult DeleteXTR(const XtrRecord& entry, const Replacing& replacing) {
    return Trap(L"Module1.DeleteXTR", [&] {
        const std::wstring folder = CatalogueFolder(entry.active);
        const std::wstring path = JoinPath(folder, entry.fileName);
        // Gone already (another program deleted it): what the user asked for is
        // done. Gone with its folder, it could not be: that fails.
        if (!IsFileAt(path)) {
            RequireFolder(folder);
            return;
        }
        FileChange change(replacing);
        change.Replace(path, true); // read-only or not: this is the file the user chose
        change.Commit();
    });
}
