#pragma once
// Reading the XTR file of an entry, and writing, moving, renaming and deleting it, each one change of files
// (FileChange.h). None of them reads the catalogue or rescans it: the command that called them rescans once,
// at its end. The file operations log every failure (reading and writing report theirs and return normally);
// the results below say what the caller may rely on.
#include "rules/Trap.h"
#include "rules/XtrRecord.h"
#include "system/FileReads.h"
#include "xtr/FileChange.h"

#include <string>
#include <string_view>

// Reads the file named by the entry's folder and fileName into its title, program path pieces, autoStart and
// autoStop, and keeps what it read of the file (bytes, and for a file larger than those its size and
// last-write time), or marks it unreadable.
void ReadXTR(XtrRecord& entry);

// Whether another program may have changed the file since the scan read it into entry: the scan could not
// read it, it is gone, or its bytes (for a large file: its size, last-write time or the bytes kept) differ. A
// file another program holds open cannot tell; it is not taken for changed, and whatever must be written over
// it then fails and is told.
bool ChangedSince(const FileNow& now, const XtrRecord& entry);

// Writes the entry to the file its folder and fileName name, creating or replacing it whole; setting is
// UI-View32's folder setting as the save read it, against which the program path is stored. The entry's bytes
// are the file saved over (empty for a new one): a line whose value the entry leaves as it was keeps its
// bytes, and so does everything after the fourth line, unless that is only the separator and "created by "
// line the writer adds, which are renewed. Without a change, the entry's own file at that path is replaced
// when it still holds the entry's bytes (another version there fails with Err::ChangedMeanwhile); with one,
// the new version joins it, to take its place when the caller commits it (the caller says what becomes of a
// file at that path). When it failed (and was reported), the file at the entry's path is untouched.
TrapResult ContentChanged(const XtrRecord& entry, std::wstring_view setting, FileChange* change = nullptr);

// Moves the entry's file from its folder into destination, the other folder of the catalogue. A file no
// longer there is no error: nothing is moved. replacing's others (a file of its name in destination among
// them) go as replacing says (the caller has asked the user). A failing step ends it having changed nothing,
// and says so.
TrapResult ActiveChanged(const XtrRecord& entry, const std::wstring& destination, const Replacing& replacing);

// Replaces loaded's file (the entry as it was read) by entry written under its new name, in entry's folder;
// setting as for ContentChanged. A file that stands at the new name, and replacing's others, go as replacing
// says. The old file goes with the change (into the bin when another program changed it since it was read); a
// change of letter case alone leaves one file, spelled the new way. All or nothing.
TrapResult FilenameChanged(const XtrRecord& entry, const XtrRecord& loaded, std::wstring_view setting,
                           const Replacing& replacing = {});

// Moves the entry's file from its folder into the Recycle Bin; a failure when the file could not go. Where
// the bin cannot take it, the file stays and the failure is Err::NoRecycleBin; with ForGood (the user agreed
// to that) it is deleted for good instead.
TrapResult DeleteXTR(const XtrRecord& entry, const Replacing& replacing = {});
