#include "system/RecycleBin.h"

#include "system/Win32.h"

#include <shellapi.h>

int RecycleFile(const std::wstring& path) {
    if (BinDeletesForTests()) {
        return ::DeleteFileW(path.c_str()) ? 0 : static_cast<int>(::GetLastError());
    }
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

bool& BinDeletesForTests() {
    static bool deletes = false;
    return deletes;
}

bool DriveHasNoBin(const std::wstring& path) {
    wchar_t root[MAX_PATH + 1];
    if (!::GetVolumePathNameW(path.c_str(), root, MAX_PATH + 1)) {
        return false; // unknown: the bin itself is watched
    }
    switch (::GetDriveTypeW(root)) {
    case DRIVE_REMOTE:
    case DRIVE_REMOVABLE:
    case DRIVE_CDROM:
    case DRIVE_RAMDISK:
        return true;
    default:
        return false;
    }
}

unsigned long FileLinkCount(const std::wstring& path) {
    const UniqueFile file(::CreateFileW(path.c_str(), 0,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION information;
    if (!file || !::GetFileInformationByHandle(file.get(), &information)) {
        return 0;
    }
    return information.nNumberOfLinks;
}
