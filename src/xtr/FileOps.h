#pragma once
// Moving, renaming and deleting the XTR file of the entry at CurrentIndex.
// Each returns false when a step failed (the failure is already logged).

// Moves the file to the folder that the entry's (already changed) active flag
// names, then rescans and rebuilds the grid. A failing step ends it without a rescan.
bool ActiveChanged();

// Replaces the file named by OldRecord by the entry written under its new name.
// The old file goes only once the new one is written; a change of letter case
// alone leaves one file, spelled the new way.
bool FilenameChanged();

// Deletes the file from the folder the entry's active flag names, then rescans
// and rebuilds the grid.
bool DeleteXTR();
