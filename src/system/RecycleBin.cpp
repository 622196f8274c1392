#include "system/RecycleBin.h"

#include "rules/ErrorTable.h"
#include "rules/Trap.h"
#include "system/Win32.h"

#include <shellapi.h>

int RecycleFile(const std::wstring& path) {
    // The shell takes a list of paths, each ended by a NUL, the list by one more.
    std::wstring from = path;
    from.push_back(L'\0');
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    // The user has answered Quillon's own question already: the shell asks nothing more.
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    const auto fileOperation =
        SystemFunction<decltype(::SHFileOperationW)>(L"shell32.dll", "SHFileOperationW");
    if (fileOperation == nullptr) {
        return static_cast<int>(::GetLastError());
    }
    const int result = fileOperation(&operation);
    constexpr int kCancelled = 0x75; // DE_OPCANCELLED
    if (result != 0) {
        return result;
    }
    // A bin that cannot take the file (under Wine: a trash folder removed
    // while the program runs) may leave it where it was and still say done.
    const bool stillThere = ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    return operation.fAnyOperationsAborted || stillThere ? kCancelled : 0;
}

void MoveToRecycleBin(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return;
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        Raise(Err::PermissionDenied);
    }
    if (const int code = RecycleFile(path); code != 0) {
        Raise(ErrorNumberFromShellFileCode(static_cast<unsigned long>(code)));
    }
}
