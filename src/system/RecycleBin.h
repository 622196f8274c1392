#pragma once
// Deleting a file so that the user can take it back: into the Recycle Bin.
#include <string>

// Moves the file at path (a full path) into the Recycle Bin without asking or
// showing anything. Where its drive has no bin (a network path, some removable
// disks) the system deletes the file instead. Returns 0 once the file is
// gone from path, or the shell's code for the failure (see
// ErrorNumberFromShellFileCode).
int RecycleFile(const std::wstring& path);

// As RecycleFile, for a file about to be replaced, but raises the program's
// error number for a failure. No file at path (or a folder there) is nothing
// to bin. A read-only file is someone's on purpose: it is never binned
// ("Permission denied"), as it could not be written over either.
void MoveToRecycleBin(const std::wstring& path);
