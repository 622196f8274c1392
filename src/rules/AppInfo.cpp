#include "rules/AppInfo.h"

#include "version.h"

std::wstring FormatAppVersion(unsigned major, unsigned minor, unsigned revision) {
    return L"V" + std::to_wstring(major) + L"." + std::to_wstring(minor) + L"." + std::to_wstring(revision);
}

const std::wstring AppName = L"UI-View Quillon";
const std::wstring AppVersion =
    FormatAppVersion(QUILLON_VERSION_MAJOR, QUILLON_VERSION_MINOR, QUILLON_VERSION_PATCH);
const std::wstring AppTitle = AppName + L" " + AppVersion;
const std::wstring AppAuthor = L"Written by Orrin TAMBER";
const std::wstring AppDescription =
    L"This program helps you manage your XTR files, make XTR active/inactive, delete, create new, "
    L"view and edit. A folder 'savedxtr' is created in the UIView32 folder to store all inactive "
    L"XTR files.";
const std::wstring AppWebAddress = QUILLON_HOMEPAGE_URL;
