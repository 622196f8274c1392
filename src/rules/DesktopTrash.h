#pragma once
// The desktop trash of Linux desktops (freedesktop.org's trash rules), which is the Recycle Bin under Wine:
// a file lies in its files folder, and a record of the same name and ".trashinfo" in its info folder says
// where the file came from and when it went.
#include <string>
#include <string_view>

// The name a file takes in the trash at the n-th try, from 1: its own, then "<name>.2", "<name>.3"...
std::wstring TrashName(std::wstring_view name, unsigned attempt);

struct LocalTime {
    int year, month, day, hour, minute, second;
};
// The info record of a file put into the trash at that local time: its absolute path (the file system's
// bytes), every byte but letters, digits, "-._~" and "/" escaped as in a URL.
std::string TrashInfoRecord(std::string_view absolutePath, const LocalTime& deleted);
