#include "rules/DesktopTrash.h"

#include <cstdio>

std::wstring TrashName(std::wstring_view name, unsigned attempt) {
    return attempt <= 1 ? std::wstring(name) : std::wstring(name) + L"." + std::to_wstring(attempt);
}

std::string TrashInfoRecord(std::string_view absolutePath, const LocalTime& deleted) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string record = "[Trash Info]\nPath=";
    for (const unsigned char c : absolutePath) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           std::string_view("-._~/").find(static_cast<char>(c)) != std::string_view::npos;
        if (plain) {
            record += static_cast<char>(c);
        } else {
            record += {'%', kHex[c >> 4], kHex[c & 15]};
        }
    }
    char date[48];
    std::snprintf(date, sizeof(date), "\nDeletionDate=%04d-%02d-%02dT%02d:%02d:%02d\n", deleted.year,
                  deleted.month, deleted.day, deleted.hour, deleted.minute, deleted.second);
    return record + date;
}
