#pragma once
// The running program's own version resource.
#include <string>

struct ProgramVersion {
    unsigned major = 0;
    unsigned minor = 0;
    unsigned revision = 0;
};

// Major, minor and revision of the file version; zeros when there is none.
ProgramVersion ReadProgramVersion();

// A string entry of the version resource (for example L"LegalCopyright"); empty when missing.
std::wstring ReadProgramVersionString(const wchar_t* name);
