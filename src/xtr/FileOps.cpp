#include "xtr/FileOps.h"

#include "host/HostFolder.h"
#include "rules/ErrorTable.h"
#include "rules/Trap.h"
#include "system/Win32.h"
#include "xtr/FileListing.h"
#include "xtr/TemporaryFiles.h"
#include "xtr/XtrFile.h"

#include <optional>

namespace {
// The listing sees ordinary files only, and letter case is ignored.
bool OrdinaryFileListed(const std::wstring& path, const std::wstring& fileName) {
    bool found = false;
    ListNormalFiles(path, [&](std::wstring_view name) {
        found = EqualsIgnoringCase(name, fileName);
        return !found;
    });
    return found;
}

void Check(BOOL succeeded) {
    if (!succeeded) {
        RaiseLastError();
    }
}

// Gives a file the new spelling of its name, in one rename where the file
// system keeps it. Some ignore a rename that changes letter case only (Wine's
// among them); there the file passes through a temporary name that carries the
// new one, and the next start bins it should the program end half-way.
void RenameLetterCase(const std::wstring& folder, const std::wstring& oldPath, const std::wstring& newName) {
    const std::wstring newPath = JoinPath(folder, newName);
    Check(::MoveFileExW(oldPath.c_str(), newPath.c_str(), 0));
    bool spelledAnew = false;
    ListNormalFiles(newPath, [&](std::wstring_view name) {
        spelledAnew = name == newName;
        return false;
    });
    if (spelledAnew) {
        return;
    }
    const std::wstring between = MakeTemporary(
        folder,
        [&oldPath](const std::wstring& path) {
            return ::MoveFileExW(oldPath.c_str(), path.c_str(), 0) != FALSE;
        },
        newName);
    StepReached(L"between");
    if (!::MoveFileExW(between.c_str(), newPath.c_str(), 0)) {
        const DWORD code = ::GetLastError();
        ::MoveFileExW(between.c_str(), oldPath.c_str(), 0);
        RaiseSystemError(code);
    }
}

// A folder of the catalogue that is gone (renamed, a drive unplugged) fails
// the command; a file alone that is gone is only what the rescan will show.
void RequireFolder(const std::wstring& folder) {
    if (const std::optional<NoFolder> problem = WhyNoFolderAt(folder)) {
        Raise(problem->number);
    }
}
} // namespace

TrapResult ActiveChanged(const XtrRecord& entry, Replacing replacing) {
    return Trap(L"Module1.ActiveChanged", [&] {
        const std::wstring sourceFolder = CatalogueFolder(!entry.active);
        const std::wstring source = JoinPath(sourceFolder, entry.fileName);
        const std::wstring destination = JoinPath(CatalogueFolder(entry.active), entry.fileName);

        // A file that is no longer there (another program moved it) is no error: the rescan shows the disk.
        if (!OrdinaryFileListed(source, entry.fileName)) {
            RequireFolder(sourceFolder);
            return;
        }
        // The caller has asked the user before a file of that name is replaced;
        // it comes back should the move fail.
        std::optional<BinnedFile> old;
        if (replacing == Replacing::ForGood) {
            MoveToRecycleBin(destination, true);
        } else {
            old.emplace(destination);
        }
        // Renamed, not rewritten: the file keeps its bytes, and is in one folder
        // or the other at every moment. Only another volume mounted at SavedXTR
        // makes it a copy, put in place whole before the source goes.
        if (!MoveInOneStep(source, destination, 0)) {
            const DWORD code = ::GetLastError();
            if (code != ERROR_NOT_SAME_DEVICE) {
                RaiseSystemError(code);
            }
            CopyIntoPlace(source, destination);
            if (old) {
                old->Settled();
            }
            Check(::DeleteFileW(source.c_str()));
            return;
        }
        StepReached(L"renamed");
        if (old) {
            old->Settled();
        }
    });
}

TrapResult FilenameChanged(const XtrRecord& entry, const XtrRecord& loaded, std::wstring_view setting,
                           Replacing replacing) {
    TrapResult written = TrapResult::Failure(0); // until the entry is written
    const TrapResult renamed = Trap(L"Module1.FilenameChanged", [&] {
        const std::wstring oldPath = JoinPath(loaded.folder, loaded.fileName);
        const std::wstring newPath = JoinPath(entry.folder, entry.fileName);

        if (EqualsIgnoringCase(oldPath, newPath)) {
            // Both names denote one file: rename it to the new spelling, then rewrite it in place.
            if (oldPath != newPath) {
                RenameLetterCase(loaded.folder, oldPath, entry.fileName);
            }
            written = ContentChanged(entry, setting);
            return;
        }
        // The new file first: a write that fails must not cost the old one. A
        // file of the new name is someone else's: the caller has asked the user.
        written = ContentChanged(entry, setting, replacing);
        // The old file holds what the new one carries, unless another program
        // wrote into it since: then it goes into the Recycle Bin, not away.
        const FileNow old = written ? ReadFileNow(oldPath) : FileNow{};
        if (old.state == FileNow::State::Read && old.bytes != entry.bytes) {
            MoveToRecycleBin(oldPath, replacing == Replacing::ForGood);
        } else if (written && !::DeleteFileW(oldPath.c_str())) {
            const DWORD code = ::GetLastError();
            if (code != ERROR_FILE_NOT_FOUND) {
                RaiseSystemError(code);
            }
            // Another program took the old file away already: worth a log line,
            // but the entry is saved under its new name.
            ReportError(ToErrorNumber16(ErrorNumberFromSystemCode(code)), L"Module1.FilenameChanged");
        }
    });
    // An old file that cannot go (in use, read-only) is reported and stays
    // beside the new one, but the entry itself is saved. A write that failed
    // tells its own error; so does a rename that failed before any write.
    return written || renamed ? written : renamed;
}

TrapResult DeleteXTR(const XtrRecord& entry, bool forGood) {
    return Trap(L"Module1.DeleteXTR", [&] {
        const std::wstring folder = CatalogueFolder(entry.active);
        const std::wstring path = JoinPath(folder, entry.fileName);
        // Gone already (another program deleted it): what the user asked for is
        // done. Gone with its folder, it could not be: that fails.
        if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            const DWORD code = ::GetLastError();
            if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) {
                RequireFolder(folder);
                return;
            }
        }
        if (forGood) {
            // The user has agreed: the bin cannot take it. A read-only mark does not keep it.
            ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!::DeleteFileW(path.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
                RaiseLastError();
            }
            return;
        }
        // Into the Recycle Bin, so that a delete can be taken back; never for good unasked.
        BinnedFile(path, true).Settled();
    });
}
