#include "rules/AppInfo.h"

#include "version.h"

std::wstring AppName;
std::wstring AppVersion;
std::wstring AppTitle;
std::wstring AppAuthor;
std::wstring AppDescription;
std::wstring AppWebAddress;

std::wstring FormatAppVersion(unsigned major, unsigned minor, unsigned revision) {
    return L"V" + std::to_wstring(major) + L"." + std::to_wstring(minor) + L"." + std::to_wstring(revision);
}

void SetIdentityTexts(const ProgramVersion& version) {
    AppName = L"UI-View Quillon";
    AppVersion = FormatAppVersion(version.major, version.minor, version.revision);
    AppTitle = AppName + L" " + AppVersion;
    AppAuthor = L"Written by Orrin TAMBER";
    AppDescription =
        L"This program helps you manage your XTR files, make XTR active/inactive, delete, create new, "
        L"view and edit. A folder 'savedxtr' is created in the UIView32 folder to store all inactive "
        L"XTR files.";
    AppWebAddress = QUILLON_HOMEPAGE_URL;
}
