#include "system/FileReads.h"

#include "rules/ErrorTable.h"
#include "rules/XtrNames.h"
#include "system/OwnFiles.h"

namespace {
bool IsNormalFile(DWORD attributes) {
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                          FILE_ATTRIBUTE_DEVICE)) == 0;
}

// Nothing to list: the folder, the file, the drive, the server or its share is not there.
bool IsNothingThere(DWORD code) {
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_NO_MORE_FILES ||
           code == ERROR_INVALID_DRIVE || code == ERROR_NOT_READY || code == ERROR_BAD_NETPATH ||
           code == ERROR_BAD_NET_NAME || code == ERROR_BAD_DEV_TYPE;
}

// A file where the pattern wants a folder (a plain file named SavedXTR, a
// setting that names a program): there is no such folder, so nothing to list.
// The platform gives no one error code for this, so the folder is looked at.
bool FolderIsAFile(const std::wstring& pattern) {
    const size_t separator = pattern.rfind(L'\\');
    return separator != std::wstring::npos && separator != 0 && IsFileAt(pattern.substr(0, separator));
}
} // namespace

UniqueFile OpenToRead(const std::wstring& path) {
    return UniqueFile(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

UniqueFile OpenToDelete(const std::wstring& path) {
    return UniqueFile(::CreateFileW(LongPath(path).c_str(), DELETE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

bool ReadFileFacts(HANDLE file, std::uint64_t& size, std::uint64_t& lastWrite) {
    BY_HANDLE_FILE_INFORMATION information;
    if (!::GetFileInformationByHandle(file, &information)) {
        return false;
    }
    size = (static_cast<std::uint64_t>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
    lastWrite = FileTimeTicks(information.ftLastWriteTime);
    return true;
}

FileNow ReadFileNow(const std::wstring& path) {
    FileNow now;
    const UniqueFile file = OpenToRead(path);
    if (!file) {
        now.state = ErrorNumberFromSystemCode(::GetLastError()) == Err::PermissionDenied
                        ? FileNow::State::InUse
                        : FileNow::State::Missing;
        return now;
    }
    now.state = FileNow::State::InUse; // locked in part by another program, or changing under us
    if (!ReadFileFacts(file.get(), now.size, now.lastWrite)) {
        return now;
    }
    now.bytes.resize(static_cast<size_t>(now.size));
    DWORD read = 0;
    if (now.size > 0 &&
        (!::ReadFile(file.get(), now.bytes.data(), static_cast<DWORD>(now.bytes.size()), &read, nullptr) ||
         read != now.bytes.size())) {
        now.bytes.clear();
        return now;
    }
    now.state = FileNow::State::Read;
    return now;
}

bool SameBytes(const std::wstring& a, const std::wstring& b) {
    const FileNow first = ReadFileNow(LongPath(a));
    const FileNow second = ReadFileNow(LongPath(b));
    return first.state == FileNow::State::Read && second.state == FileNow::State::Read &&
           first.bytes == second.bytes;
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void ListNormalFiles(const std::wstring& pattern, const std::function<bool(std::wstring_view name)>& onFile) {
    // A folder ending in "\" lists its whole content.
    const std::wstring search = !pattern.empty() && pattern.back() == L'\\' ? pattern + L"*" : pattern;
    WIN32_FIND_DATAW found;
    // Basic information skips the short names, and large fetches take the
    // folder in fewer round trips: both matter for folders of many files.
    UniqueFind find(::FindFirstFileExW(search.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                       nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) {
        const DWORD code = ::GetLastError();
        if (IsNothingThere(code) || FolderIsAFile(search)) {
            return;
        }
        RaiseSystemError(code);
    }
    do {
        if (IsNormalFile(found.dwFileAttributes) && !onFile(found.cFileName)) {
            return;
        }
    } while (::FindNextFileW(find.get(), &found));
    const DWORD code = ::GetLastError();
    if (code != ERROR_NO_MORE_FILES) {
        RaiseSystemError(code);
    }
}

std::vector<std::wstring> ListXtrFiles(const std::wstring& folder) {
    std::vector<std::wstring> names;
    ListNormalFiles(JoinPath(folder, L"*.xtr"), [&names](std::wstring_view name) {
        if (HasXtrExtension(name)) {
            names.emplace_back(name);
        }
        return true;
    });
    return names;
}

bool NormalFileAt(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = ::GetLastError();
        if (IsNothingThere(code)) {
            return false;
        }
        RaiseSystemError(code);
    }
    return IsNormalFile(attributes);
}

std::optional<std::wstring> FirstNormalFile(const std::wstring& pattern) {
    std::optional<std::wstring> first;
    ListNormalFiles(pattern, [&first](std::wstring_view name) {
        first = name;
        return false;
    });
    return first;
}
