#include "xtr/XtrInstall.h"

#include "host/HostFolder.h"
#include "rules/ErrorTable.h"
#include "rules/Trap.h"
#include "rules/XtrNames.h"
#include "system/Win32.h"
#include "xtr/TemporaryFiles.h"

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

void InstallXtrFile(const std::wstring& path, Replacing replacing) {
    const std::wstring fileName(FileNameOf(path));
    const std::wstring target = JoinPath(HostFolder, fileName);
    TemporaryFile copy = CopyToTemporary(path, target);
    // A copy keeps its source's read-only mark (a file from a CD): the entry must stay editable.
    const DWORD attributes = ::GetFileAttributesW(copy.Path().c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        ::SetFileAttributesW(copy.Path().c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    }
    // The inactive file of its name goes first: at no moment is the entry
    // both active and inactive. It comes back should a later step fail.
    const std::wstring inactive = JoinPath(SavedXtrFolder(), fileName);
    std::optional<BinnedFile> binned;
    if (replacing == Replacing::ForGood) {
        MoveToRecycleBin(inactive, true);
    } else {
        binned.emplace(inactive);
    }
    copy.PutInPlace(target, replacing);
    if (binned) {
        binned->Settled();
    }
}
