#pragma once
#include <string>

// The name the log header gives an operating system, from the platform
// identifier, version numbers and build number that GetVersionEx reports.
// Windows 11 reports 10.0 too: only its build, 22000 on, tells it apart.
std::wstring OsNameFor(unsigned long platformId, unsigned long major, unsigned long minor,
                       unsigned long build);
