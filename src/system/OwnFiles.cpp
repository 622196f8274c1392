#include "system/OwnFiles.h"

#include "rules/ErrorTable.h"
#include "rules/Trap.h"
#include "system/Win32.h"

#include <atomic>

std::wstring LongPath(const std::wstring& path) {
    if (path.size() < MAX_PATH - 1) {
        return path;
    }
    const std::wstring full = FullPathOf(path); // no "." or doubled "\\" is left for the \\?\ form
    if (full.size() > 2 && full[1] == L':' && full[2] == L'\\') {
        return L"\\\\?\\" + full;
    }
    if (full.starts_with(L"\\\\") && !full.starts_with(L"\\\\?\\") && !full.starts_with(L"\\\\.\\")) {
        return L"\\\\?\\UNC\\" + full.substr(2);
    }
    return full;
}

unsigned long long NowTicks() {
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    return FileTimeTicks(now);
}

std::wstring MakeTemporary(const std::wstring& target,
                           const std::function<bool(const std::wstring& path)>& make, Held held) {
    static std::atomic<unsigned> counter{0};
    const std::wstring folder(FolderOf(target));
    constexpr int kAttempts = 16;
    DWORD code = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const std::wstring path =
            JoinPath(folder, TemporaryNameOnTheWay(NowTicks(), ::GetCurrentProcessId(), counter++,
                                                   FileNameOf(target), held));
        if (make(LongPath(path))) {
            return path;
        }
        code = ::GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    // A new file refused in a folder: the folder does not let Quillon write.
    if (code == ERROR_ACCESS_DENIED || code == ERROR_WRITE_PROTECT) {
        throw TrapError(Err::FolderRefused, code, folder);
    }
    RaiseSystemError(code);
}

std::wstring RenamedToTemporary(const std::wstring& path, const std::wstring& target, Held held) {
    return MakeTemporary(
        target, [&](const std::wstring& name) { return Renamed(path, name); }, held);
}

bool Renamed(const std::wstring& from, const std::wstring& to) {
    return ::MoveFileExW(LongPath(from).c_str(), LongPath(to).c_str(), 0) != FALSE;
}

void WriteWhole(UniqueFile file, const std::string& bytes) {
    DWORD written = 0;
    if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
        RaiseLastError();
    }
    // A full disk may take part and say nothing (tmpfs under Wine): the count tells.
    if (written != bytes.size()) {
        Raise(Err::DiskFull);
    }
    if (!::FlushFileBuffers(file.get())) {
        RaiseLastError();
    }
}

bool DeleteOwn(const std::wstring& path) {
    ::SetFileAttributesW(LongPath(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!::DeleteFileW(LongPath(path).c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND &&
        ::GetLastError() != ERROR_PATH_NOT_FOUND) {
        return false;
    }
    if (::GetFileAttributesW(LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return true;
}

bool Logged(bool succeeded, const wchar_t* step) {
    if (!succeeded) {
        ReportError(ToErrorNumber16(ErrorNumberFromSystemCode(::GetLastError())), step);
    }
    return succeeded;
}
