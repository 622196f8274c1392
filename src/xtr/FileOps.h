#pragma once
// Moving, renaming and deleting the XTR file of the entry at CurrentIndex.
// Every failure is logged; the results below say what the caller may rely on.
#include "rules/Trap.h"

// Moves the file to the folder that the entry's (already changed) active flag
// names, then rescans and rebuilds the grid. A failing step ends it without a
// rescan, and says so.
TrapResult ActiveChanged();

// Replaces the file named by OldRecord by the entry written under its new name.
// The old file goes only once the new one is written; a change of letter case
// alone leaves one file, spelled the new way. True when the entry was written
// under its new name, even if the old file could not be removed (that is
// reported, and both files are left).
TrapResult FilenameChanged();

// Moves the file from the folder the entry's active flag names into the
// Recycle Bin (deletes it where its drive has none), then rescans and rebuilds
// the grid; a failure when the file could not go (no rescan then).
TrapResult DeleteXTR();
