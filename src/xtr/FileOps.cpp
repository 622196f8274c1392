#include "xtr/FileOps.h"

#include "common/ErrorTable.h"
#include "common/Trap.h"
#include "common/Win32.h"
#include "host/HostFolder.h"
#include "xtr/Catalogue.h"
#include "xtr/FileListing.h"
#include "xtr/GridFill.h"
#include "xtr/XtrFile.h"
#include "xtr/XtrTable.h"

namespace {
std::wstring Join(const std::wstring& folder, const std::wstring& name) { return folder + L"\\" + name; }

bool SameText(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// The listing sees ordinary files only, and letter case is ignored.
bool OrdinaryFileListed(const std::wstring& path, const std::wstring& fileName) {
    bool found = false;
    ListNormalFiles(path, [&](std::wstring_view name) {
        found = SameText(std::wstring(name), fileName);
        return !found;
    });
    return found;
}

void Check(BOOL succeeded) {
    if (!succeeded) {
        RaiseLastError();
    }
}

// Gives a file the new spelling of its name. A rename that changes letter case
// only is silently ignored by some file systems (Wine's among them), so the
// file passes through a temporary name; it exists under one name throughout.
void RenameLetterCase(const std::wstring& folder, const std::wstring& oldPath, const std::wstring& newPath) {
    const std::wstring between =
        Join(folder, L"~Quillon-" + std::to_wstring(::GetCurrentProcessId()) + L".rename.tmp");
    Check(::MoveFileExW(oldPath.c_str(), between.c_str(), 0));
    if (!::MoveFileExW(between.c_str(), newPath.c_str(), 0)) {
        const DWORD code = ::GetLastError();
        ::MoveFileExW(between.c_str(), oldPath.c_str(), 0);
        RaiseSystemError(code);
    }
}
} // namespace

bool ActiveChanged() {
    const bool moved = Trap(L"Module1.ActiveChanged", [] {
        const XtrRecord& entry = XtrEntry(CurrentIndex);
        const std::wstring activeFolder = HostFolder;
        const std::wstring inactiveFolder = SavedXtrFolder();
        const std::wstring source = Join(entry.active ? inactiveFolder : activeFolder, entry.fileName);
        const std::wstring destination = Join(entry.active ? activeFolder : inactiveFolder, entry.fileName);

        // A file that is no longer there (another program moved it) is no error: the rescan shows the disk.
        if (!OrdinaryFileListed(source, entry.fileName)) {
            return;
        }
        if (::GetFileAttributesW(destination.c_str()) != INVALID_FILE_ATTRIBUTES) {
            Check(::DeleteFileW(destination.c_str()));
        }
        // Copied, not rewritten: the moved file keeps its bytes.
        Check(::CopyFileW(source.c_str(), destination.c_str(), TRUE));
        Check(::DeleteFileW(source.c_str()));
    });
    if (moved) {
        ScanXTR();
        BuildGrid();
    }
    return moved;
}

bool FilenameChanged() {
    bool written = false;
    Trap(L"Module1.FilenameChanged", [&] {
        const XtrRecord& entry = XtrEntry(CurrentIndex);
        const std::wstring oldPath = Join(OldRecord.folder, OldRecord.fileName);
        const std::wstring newPath = Join(entry.folder, entry.fileName);

        if (SameText(oldPath, newPath)) {
            // Both names denote one file: rename it to the new spelling, then rewrite it in place.
            if (oldPath != newPath) {
                RenameLetterCase(OldRecord.folder, oldPath, newPath);
            }
            written = ContentChanged();
            return;
        }
        // The new file first: a write that fails must not cost the old one.
        written = ContentChanged();
        if (written && !::DeleteFileW(oldPath.c_str())) {
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
    // beside the new one, but the entry itself is saved.
    return written;
}

bool DeleteXTR() {
    const bool deleted = Trap(L"Module1.DeleteXTR", [] {
        const XtrRecord& entry = XtrEntry(CurrentIndex);
        const std::wstring path = Join(entry.active ? HostFolder : SavedXtrFolder(), entry.fileName);
        Check(::DeleteFileW(path.c_str()));
    });
    if (deleted) {
        ScanXTR();
        BuildGrid();
    }
    return deleted;
}
