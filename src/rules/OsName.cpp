#include "rules/OsName.h"

std::wstring OsNameFor(unsigned long platformId, unsigned long major, unsigned long minor,
                       unsigned long build) {
    if (platformId == 1) { // the Windows 9x family: only the minor version tells them apart
        switch (minor) {
        case 0:
            return L"Windows 95";
        case 10:
            return L"Windows 98";
        case 90:
            return L"Windows Millennium";
        default:
            return L"unknown";
        }
    }
    if (platformId == 2) {
        switch (major) {
        case 3:
            return L"Windows NT 3.51";
        case 4:
            return L"Windows NT 4.0";
        case 5:
            switch (minor) {
            case 0:
                return L"Windows 2000";
            case 1:
                return L"Windows XP";
            case 2:
                return L"Windows Server";
            default:
                return L"unknown";
            }
        case 6:
            switch (minor) {
            case 0:
                return L"Vista";
            case 1:
                return L"Windows 7";
            case 2:
                return L"Windows 8";
            case 3:
                return L"Windows 8.1";
            default:
                return L"unknown";
            }
        case 10:
            if (minor != 0) {
                return L"unknown";
            }
            return build >= 22000 ? L"Windows 11" : L"Windows 10";
        default:
            return L"unknown";
        }
    }
    return L"unknown";
}
