#pragma once
// The program's identity texts, fixed once at start-up.
#include <string>

// The program's own version numbers, as its version resource carries them.
struct ProgramVersion {
    unsigned major = 0;
    unsigned minor = 0;
    unsigned revision = 0;
};

extern std::wstring AppName;
extern std::wstring AppVersion;
extern std::wstring AppTitle;
extern std::wstring AppAuthor;
extern std::wstring AppDescription;
extern std::wstring AppWebAddress;

// "V" + major + "." + minor + "." + revision, in plain decimal.
std::wstring FormatAppVersion(unsigned major, unsigned minor, unsigned revision);

// Sets every identity text for the given build version.
void SetIdentityTexts(const ProgramVersion& version);
