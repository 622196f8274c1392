#pragma once
#include <string>

// The "renamed" step of a letter-case rename, which some file systems ignore
// (Wine's among them): the file then passes through a temporary name. Raises
// the failing step's error, the file back under its old spelling.
void RenameLetterCase(const std::wstring& oldPath, const std::wstring& newPath);
