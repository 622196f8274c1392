#include "host/HostFolder.h"

#include "rules/AppInfo.h"
#include "rules/ErrorTable.h"
#include "rules/HostPaths.h"
#include "rules/Trap.h"
#include "system/Win32.h"
#include "toolkit/Ui.h"

std::wstring HostFolder;

std::wstring SavedXtrFolder(std::wstring_view host) { return JoinPath(host, kSavedXtrName); }

std::wstring CatalogueFolder(bool active) { return active ? HostFolder : SavedXtrFolder(); }

std::optional<NoFolder> WhyNoFolderAt(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = ::GetLastError();
        // A folder that is not there is a path not found, whichever part of it is missing.
        const int number = code == ERROR_FILE_NOT_FOUND ? Err::PathNotFound : ErrorNumberFromSystemCode(code);
        return NoFolder{number, std::wstring(ErrorDescription(number))};
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return NoFolder{Err::PathNotFound, L"it is a file, not a folder"};
    }
    return std::nullopt;
}

namespace {
// The setting as it is stored, or empty text when it is missing (a failed read also tells the user why).
std::wstring StoredSetting() {
    // One call in the common case; a second when the value is longer.
    std::wstring value;
    DWORD bytes = MAX_PATH * sizeof(wchar_t);
    LSTATUS status = ERROR_MORE_DATA;
    while (status == ERROR_MORE_DATA) {
        value.resize(bytes / sizeof(wchar_t) + 1);
        bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
        status = ::RegGetValueW(HKEY_CURRENT_USER, kHostSettingKey, kHostSettingValue, RRF_RT_REG_SZ, nullptr,
                                value.data(), &bytes);
    }
    if (status == ERROR_SUCCESS) {
        value.resize(wcsnlen(value.c_str(), bytes / sizeof(wchar_t)));
        return value;
    }
    if (status == ERROR_FILE_NOT_FOUND) {
        return {}; // no key or no value: UI-View32 was never set up for this user
    }
    Ui::ShowMessage(nullptr,
                    L"An error occurred getting the UIView folder. The system error message is '" +
                        SystemErrorText(static_cast<unsigned long>(status)) + L"'",
                    L"Quillon", MB_OK | MB_ICONSTOP);
    return {};
}

// The folder as Windows reads it: made full, and trailing blanks and dots dropped as the system drops them.
std::wstring AsWindowsReadsIt(const std::wstring& stored) {
    return stored.empty() ? stored : FullPathOf(stored);
}
} // namespace

std::wstring ReadHostFolderSetting() { return AsWindowsReadsIt(StoredSetting()); }

bool CheckEnv() {
    bool found = true;
    Trap(L"Module1.CheckEnv", [&] {
        const std::wstring setting = StoredSetting();
        HostFolder = WithoutTrailingBackslash(AsWindowsReadsIt(setting));
        if (HostFolder.empty()) {
            Ui::ShowMessage(nullptr, L"Can not locate the UIView32 folder", AppTitle, MB_OK | MB_ICONSTOP);
            found = false;
            return;
        }
        if (const std::optional<NoFolder> problem = WhyNoFolderAt(HostFolder)) {
            Ui::ShowMessage(nullptr,
                            L"Quillon cannot use the UI-View32 folder " + setting +
                                L" that UI-View32 recorded: " + problem->reason + L".",
                            AppTitle, MB_OK | MB_ICONSTOP);
            Raise(problem->number);
        }
        const std::wstring saved = SavedXtrFolder();
        std::optional<NoFolder> problem = WhyNoFolderAt(saved);
        if (!problem) {
            return;
        }
        if (!IsFileAt(saved)) {
            if (::CreateDirectoryW(saved.c_str(), nullptr)) {
                Ui::ShowMessage(nullptr,
                                std::wstring(L"folder ") + kSavedXtrName + L" is created in UIView32 folder",
                                AppTitle, MB_OK | MB_ICONINFORMATION);
                return;
            }
            const int number = ErrorNumberFromSystemCode(::GetLastError());
            problem = NoFolder{number, std::wstring(ErrorDescription(number))};
        }
        // The active entries still work; only Set Inactive cannot.
        Ui::ShowMessage(
            nullptr, L"Quillon cannot keep inactive XTR files in " + saved + L": " + problem->reason + L".",
            AppTitle, MB_OK | MB_ICONSTOP);
        Raise(problem->number);
    });
    return found;
}
