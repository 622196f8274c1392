#pragma once
// Version resources: the running program's own, and those of other program files.
#include <string>

// A string entry of the version resource (for example L"LegalCopyright"); empty when missing.
std::wstring ReadProgramVersionString(const wchar_t* name);

// The same of the program file at path, in the first language its
// "\VarFileInfo\Translation" lists; empty when missing.
std::wstring ReadVersionString(const std::wstring& path, const wchar_t* name);
