#pragma once
// Moving, renaming and deleting the XTR file of an entry, each one change of
// files (FileChange.h). None of them reads the catalogue or rescans it: the
// command that called them rescans once, at its end. Every failure is
// logged; the results below say what the caller may rely on.
#include "rules/Trap.h"
#include "rules/XtrRecord.h"
#include "xtr/FileChange.h"

#include <string_view>

// Moves the entry's file into the folder its active flag names (the new
// state: the caller has set it) from the other one. A file no longer there is
// no error: nothing is moved. A file of its name in the folder it goes to, and
// replacing's others, go as replacing says (the caller has asked the user). A
// failing step ends it having changed nothing, and says so.
TrapResult ActiveChanged(const XtrRecord& entry, const Replacing& replacing = {});

// Replaces loaded's file (the entry as it was read) by entry written under its
// new name, in entry's folder; setting as for ContentChanged. A file that
// stands at the new name, and replacing's others, go as replacing says. The
// old file goes with the change (into the bin when another program changed it
// since it was read); a change of letter case alone leaves one file, spelled
// the new way. All or nothing.
TrapResult FilenameChanged(const XtrRecord& entry, const XtrRecord& loaded, std::wstring_view setting,
                           const Replacing& replacing = {});

// Moves the file from the folder the entry's active flag names into the
// Recycle Bin; a failure when the file could not go. Where the bin cannot take
// it, the file stays and the failure is Err::NoRecycleBin; with ForGood (the
// user agreed to that) it is deleted for good instead.
TrapResult DeleteXTR(const XtrRecord& entry, const Replacing& replacing = {});
