#include "host/HostFolder.h"

#include "app/AppInfo.h"
#include "common/Trap.h"
#include "common/Ui.h"
#include "common/Win32.h"
#include "host/HostPaths.h"
#include "xtr/XtrTable.h"

std::wstring HostFolder;

std::wstring SavedXtrFolder() { return HostFolder + L"\\" + kSavedXtrName; }

std::wstring ReadHostFolderSetting() {
    UniqueKey key;
    HKEY opened = nullptr;
    LSTATUS status = ::RegOpenKeyExW(HKEY_CURRENT_USER, kHostSettingKey, 0, KEY_QUERY_VALUE, &opened);
    key.reset(opened);
    std::wstring value;
    if (status == ERROR_SUCCESS) {
        DWORD bytes = 0;
        status = ::RegGetValueW(key.get(), nullptr, kHostSettingValue, RRF_RT_REG_SZ, nullptr, nullptr, &bytes);
        if (status == ERROR_SUCCESS && bytes > 0) {
            value.resize(bytes / sizeof(wchar_t));
            status = ::RegGetValueW(key.get(), nullptr, kHostSettingValue, RRF_RT_REG_SZ, nullptr, value.data(),
                                    &bytes);
            value.resize(status == ERROR_SUCCESS ? wcsnlen(value.c_str(), bytes / sizeof(wchar_t)) : 0);
        }
    }
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) {
        return value;
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

std::wstring ProgramPathAbsolute(std::int16_t index) {
    return ProgramPathAbsoluteOf(XtrEntry(index), ReadHostFolderSetting());
}

std::wstring ProgramPathForFile(std::int16_t index) {
    return ProgramPathForFileOf(XtrEntry(index), ReadHostFolderSetting());
}
