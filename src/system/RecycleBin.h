#pragma once
// The Recycle Bin. A file goes in whole or not at all, never deleted for good, and where it went is told by
// the file itself (its path in the bin), never guessed from what else the bin holds.
#include <optional>
#include <string>

// Moves the file at path into the Recycle Bin without asking or showing anything. Returns its path in the
// bin; nothing when the bin did not take it, the file then standing where it was. On Windows the shell
// moves it (IFileOperation), told to refuse where it would delete for good (a drive without a bin, a file
// too large for it); under Wine, whose shell deletes for good without a word what its trash cannot take,
// the file goes into the desktop trash here, by the trash's own rules.
std::optional<std::wstring> RecycleFile(const std::wstring& path);

// Moves a file the bin holds (at inBin, as RecycleFile said) back to path, never over a file there, and
// removes the bin's record of it. False when it could not: the file stays in the bin.
bool TakeBackFromBin(const std::wstring& inBin, const std::wstring& path);
