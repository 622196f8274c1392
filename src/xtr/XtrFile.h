#pragma once
// Reading and writing XTR files on disk. Both report their own failures and
// return normally.
#include "rules/Trap.h"
#include "rules/XtrRecord.h"
#include "xtr/FileChange.h"

#include <cstdint>
#include <string>
#include <string_view>

// Reads the file named by the entry's folder and fileName into its title,
// program path pieces, autoStart and autoStop, and keeps what it read of the
// file (bytes, and for a file larger than those its size and last-write
// time), or marks it unreadable.
void ReadXTR(XtrRecord& entry);

// A file as it is now, read whole, for a save to compare with what the scan
// kept of it and to save over.
struct FileNow {
    enum class State { Read, Missing, InUse };
    State state = State::Missing;
    std::string bytes; // the whole file, when Read
    std::uint64_t size = 0;
    std::uint64_t lastWrite = 0;
    bool operator==(const FileNow&) const = default;
};
FileNow ReadFileNow(const std::wstring& path);

// Whether another program may have changed the file since the scan read it
// into entry: the scan could not read it, it is gone, or its bytes (for a
// large file: its size, last-write time or the bytes kept) differ. A file
// another program holds open cannot tell; it is not taken for changed, and
// whatever must be written over it then fails and is told.
bool ChangedSince(const FileNow& now, const XtrRecord& entry);

// Writes the entry to the file its folder and fileName name, creating or
// replacing it whole; setting is UI-View32's folder setting as the save read
// it, against which the program path is stored.
// The entry's bytes are the file saved over (empty for a new one): a line
// whose value the entry leaves as it was keeps its bytes, and so does
// everything after the fourth line, unless that is only the separator and
// "created by " line the writer adds, which are renewed. Without a change,
// the entry's own file at that path is replaced; with one, the new version
// joins it, to take its place when the caller commits it (the caller says
// what becomes of a file at that path). When it failed (and was reported),
// the file at the entry's path is untouched.
TrapResult ContentChanged(const XtrRecord& entry, std::wstring_view setting, FileChange* change = nullptr);
