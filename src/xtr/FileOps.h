#pragma once
// Moving, renaming and deleting the XTR file of an entry. None of them reads
// the catalogue or rescans it: the command that called them rescans once, at
// its end. Every failure is logged; the results below say what the caller may
// rely on.
#include "rules/Trap.h"
#include "rules/XtrRecord.h"
#include "xtr/TemporaryFiles.h"

#include <string_view>

// Moves the entry's file into the folder its active flag names (the new
// state: the caller has set it) from the other one. A file no longer there is
// no error: nothing is moved. A file of its name in the folder it goes to is
// replaced as `replacing` says (the caller has asked the user): binned, and
// put back should the move fail, or with ForGood deleted for good. A failing
// step ends it, and says so; Err::NoRecycleBin before anything changed.
TrapResult ActiveChanged(const XtrRecord& entry, Replacing replacing = Replacing::IntoTheBin);

// Replaces loaded's file (the entry as it was read) by entry written under its
// new name, in entry's folder; setting as for ContentChanged, and a file that
// stands at the new name is replaced as `replacing` says. The old file goes
// only once the new one is written; a change of letter case alone leaves one
// file, spelled the new way. True when the entry was written under its new
// name, even if the old file could not be removed (that is reported, and both
// files are left).
TrapResult FilenameChanged(const XtrRecord& entry, const XtrRecord& loaded, std::wstring_view setting,
                           Replacing replacing = Replacing::IntoTheBin);

// Moves the file from the folder the entry's active flag names into the
// Recycle Bin; a failure when the file could not go. Where the bin cannot take
// it, the file stays and the failure is Err::NoRecycleBin; with forGood (the
// user agreed to that) it is deleted for good instead.
TrapResult DeleteXTR(const XtrRecord& entry, bool forGood = false);
