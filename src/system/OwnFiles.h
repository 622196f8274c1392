#pragma once
// Quillon's own files beside the catalogue's (temporaries, second names, files set aside, the bin's records
// it makes): how they are named, made and deleted, and how a failed step of putting things back is logged.
#include "rules/XtrNames.h"
#include "system/Win32.h"

#include <functional>
#include <string>

// A path too long for the plain file calls, in their \\?\ form: a temporary's name is longer than the
// entry's, and must not fail where the entry's path fits.
std::wstring LongPath(const std::wstring& path);

// The time now, as file times count it (100 ns units since 1601).
unsigned long long NowTicks();

// Makes a temporary file beside target through make(path), which creates the file at path and returns false,
// with the thread's last error set, when it could not. A name that is taken (a second Quillon, a leftover) is
// given up for a fresh one. The name carries target's name, the file it is made for, and what it holds.
// Returns the path made; raises the error of any other failure (a folder that refuses: Err::FolderRefused).
std::wstring MakeTemporary(const std::wstring& target,
                           const std::function<bool(const std::wstring& path)>& make, Held held);

// The file at path renamed to a temporary beside target, made for target's name; raises as MakeTemporary.
std::wstring RenamedToTemporary(const std::wstring& path, const std::wstring& target, Held held);

// The file at from takes the name to, never over a file: what stands at a name is someone's until a question
// said otherwise. False, the thread's last error saying why, when it did not.
bool Renamed(const std::wstring& from, const std::wstring& to);

// Writes every byte into the new file and flushes it; the file is closed on return, whatever happens. Raises
// the error of the step that failed.
void WriteWhole(UniqueFile file, const std::string& bytes);

// Deletes a file of Quillon's own: a read-only mark does not keep it. Some file systems (a read-only mount
// under Wine) report success and keep the file: it is looked for again.
bool DeleteOwn(const std::wstring& path);

// A recovery step that fails is the one nobody can debug later: it is logged under step's label.
bool Logged(bool succeeded, const wchar_t* step);
