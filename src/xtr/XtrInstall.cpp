#include "xtr/XtrInstall.h"

#include "host/HostFolder.h"
#include "rules/ErrorTable.h"
#include "rules/Trap.h"
#include "rules/XtrNames.h"
#include "system/Win32.h"

#include <cstring>

namespace {
// Every XTR file has a line end in its first lines: 64 KB hold many.
constexpr DWORD kHeadBytes = 64 * 1024;

std::wstring CouldNotBeRead(DWORD code) {
    return L"it could not be read (" + std::wstring(ErrorDescription(ErrorNumberFromSystemCode(code))) + L")";
}
} // namespace

std::optional<std::wstring> WhyNotAnXtrFile(const std::wstring& path) {
    if (!IsPlainFileName(FileNameOf(path))) {
        return L"Quillon cannot use its name";
    }
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return CouldNotBeRead(::GetLastError());
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return L"it is a folder";
    }
    // The scan would not list such a copy: the catalogue holds ordinary files only.
    if ((attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE)) != 0) {
        return L"it is a hidden or system file";
    }
    const UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return CouldNotBeRead(::GetLastError());
    }
    std::string head(kHeadBytes, '\0');
    DWORD read = 0;
    if (!::ReadFile(file.get(), head.data(), kHeadBytes, &read, nullptr)) {
        return CouldNotBeRead(::GetLastError());
    }
    if (read == 0) {
        return L"it is empty";
    }
    if (std::memchr(head.data(), '\r', read) == nullptr) {
        return L"it is not an XTR file (no line end within its first 64 KB)";
    }
    return std::nullopt;
}

bool IsInCatalogueFolder(const std::wstring& path) {
    const std::wstring_view folder = FolderOf(path);
    return EqualsIgnoringCase(folder, HostFolder) || EqualsIgnoringCase(folder, SavedXtrFolder());
}

void InstallXtrFile(const std::wstring& path, const Replacing& replacing) {
    const std::wstring fileName(FileNameOf(path));
    const std::wstring target = JoinPath(HostFolder, fileName);
    FileChange change(replacing);
    for (const std::wstring& other : {target, JoinPath(SavedXtrFolder(), fileName)}) {
        if (IsFileAt(other)) {
            change.Replace(other);
        }
    }
    change.Put(CopyToTemporary(path, target), target);
    change.Commit();
}
