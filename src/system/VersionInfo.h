#pragma once
// Version resources: the running program's own, and those of other program files.
#include "rules/AppInfo.h"

#include <string>

// Major, minor and revision of the file version; zeros when there is none.
ProgramVersion ReadProgramVersion();

// A string entry of the version resource (for example L"LegalCopyright"); empty when missing.
std::wstring ReadProgramVersionString(const wchar_t* name);

// The same of the program file at path, in the first language its
// "\VarFileInfo\Translation" lists; empty when missing.
std::wstring ReadVersionString(const std::wstring& path, const wchar_t* name);
