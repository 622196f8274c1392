#include "host/HostFolder.h"

#include "app/AppInfo.h"
#include "common/Trap.h"
#include "common/Ui.h"
#include "common/Win32.h"
#include "host/HostPaths.h"

std::wstring HostFolder;

std::wstring SavedXtrFolder() { return JoinPath(HostFolder, kSavedXtrName); }

std::wstring ReadHostFolderSetting() {
    // One call in the common case: the scan reads the setting once per entry.
    std::wstring value(MAX_PATH, L'\0');
    DWORD bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    LSTATUS status = ::RegGetValueW(HKEY_CURRENT_USER, kHostSettingKey, kHostSettingValue, RRF_RT_REG_SZ,
                                    nullptr, value.data(), &bytes);
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

bool CheckEnv() {
    bool found = true;
    Trap(L"Module1.CheckEnv", [&] {
        HostFolder = WithoutTrailingBackslash(ReadHostFolderSetting());
        if (HostFolder.empty()) {
            Ui::ShowMessage(nullptr, L"Can not locate the UIView32 folder", AppTitle, MB_OK | MB_ICONSTOP);
            found = false;
            return;
        }
        const std::wstring saved = SavedXtrFolder();
        // A plain file of that name counts as present too: nothing is created then.
        if (::GetFileAttributesW(saved.c_str()) != INVALID_FILE_ATTRIBUTES) {
            return;
        }
        if (!::CreateDirectoryW(saved.c_str(), nullptr)) {
            RaiseLastError();
        }
        Ui::ShowMessage(nullptr, std::wstring(L"folder ") + kSavedXtrName + L" is created in UIView32 folder",
                        AppTitle, MB_OK | MB_ICONINFORMATION);
    });
    return found;
}
