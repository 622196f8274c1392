#include "xtr/LetterCaseRename.h"

#include "system/FileReads.h"
#include "system/OwnFiles.h"
#include "xtr/FileChange.h"

void RenameLetterCase(const std::wstring& oldPath, const std::wstring& newPath) {
    const std::wstring newName(FileNameOf(newPath));
    // Some file systems refuse a rename onto the same file (exFAT through FUSE): "already exists".
    if (!MainStep(oldPath, newPath)) {
        const DWORD code = ::GetLastError();
        if (code != ERROR_ALREADY_EXISTS && code != ERROR_FILE_EXISTS) {
            RaiseSystemError(code);
        }
    }
    if (FirstNormalFile(newPath) == newName) {
        return; // spelled anew
    }
    const std::wstring between = RenamedToTemporary(oldPath, newPath, Held::NewVersion);
    StepReached(L"between");
    if (!MainStep(between, newPath)) {
        const DWORD code = ::GetLastError();
        Logged(Renamed(between, oldPath), L"Module1.FilenameChanged");
        RaiseSystemError(code);
    }
}
