#pragma once
#include <string>

// The name the log header gives an operating system, from the platform
// identifier and version numbers that GetVersionEx reports.
std::wstring OsNameFor(unsigned long platformId, unsigned long major, unsigned long minor);
