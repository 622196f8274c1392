#pragma once
// Quillon's own files beside the catalogue's (temporaries, second names, files set aside, the bin's records
// it makes): how they are named, made and deleted, and how a failed step of putting things back is logged.
#include "rules/XtrNames.h"

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

// Deletes a file of Quillon's own: a read-only mark does not keep it. Some file systems (a read-only mount
// under Wine) report success and keep the file: it is looked for again.
bool DeleteOwn(const std::wstring& path);

// A recovery step that fails is the one nobody can debug later: it is logged under step's label.
bool Logged(bool succeeded, const wchar_t* step);
