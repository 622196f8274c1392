#pragma once
// Deleting a file so that the user can take it back: into the Recycle Bin.
#include <string>

// Moves the file at path (a full path) into the Recycle Bin without asking or
// showing anything. Returns 0 once the file is gone from path, or the shell's
// code for the failure (see ErrorNumberFromShellFileCode). Where the bin
// cannot take the file (a drive without one, a file too large for it) the
// system deletes it for good instead and says nothing: the caller tells the
// two apart (see FileLinkCount).
int RecycleFile(const std::wstring& path);

// What a test sets to make every bin behave as a drive without one does (Wine
// cannot show such a drive): RecycleFile then deletes the file for good.
bool& BinDeletesForTests();

// The drive of path has no Recycle Bin by its kind: a network share, a
// removable disk (a USB stick), a CD, a RAM disk.
bool DriveHasNoBin(const std::wstring& path);

// How many names (hard links) the file at path has; 0 when it cannot be read.
unsigned long FileLinkCount(const std::wstring& path);
