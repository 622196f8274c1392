#include "xtr/FileListing.h"

#include "rules/XtrNames.h"
#include "system/Win32.h"

namespace {
bool IsNormalFile(DWORD attributes) {
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                          FILE_ATTRIBUTE_DEVICE)) == 0;
}

// Nothing to list: the folder, the file or the drive is not there.
bool IsNothingThere(DWORD code) {
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_NO_MORE_FILES ||
           code == ERROR_INVALID_DRIVE || code == ERROR_NOT_READY;
}

// A file where the pattern wants a folder (a plain file named SavedXTR, a
// setting that names a program): there is no such folder, so nothing to list.
// The platform gives no one error code for this, so the folder is looked at.
bool FolderIsAFile(const std::wstring& pattern) {
    const size_t separator = pattern.rfind(L'\\');
    if (separator == std::wstring::npos || separator == 0) {
        return false;
    }
    return IsFileAt(pattern.substr(0, separator));
}
} // namespace

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

bool AnyNormalFile(const std::wstring& pattern) {
    bool any = false;
    ListNormalFiles(pattern, [&any](std::wstring_view) {
        any = true;
        return false;
    });
    return any;
}
