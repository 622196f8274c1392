#pragma once
// The program's identity texts, made from the version the build gives its
// version resource too.
#include <string>

// "V" + major + "." + minor + "." + revision, in plain decimal.
std::wstring FormatAppVersion(unsigned major, unsigned minor, unsigned revision);

extern const std::wstring AppName;
extern const std::wstring AppVersion;
extern const std::wstring AppTitle;
extern const std::wstring AppAuthor;
extern const std::wstring AppDescription;
extern const std::wstring AppWebAddress;
