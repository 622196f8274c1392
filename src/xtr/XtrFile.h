#pragma once
// Reading the XTR file of an entry, and writing, moving, renaming and deleting it, each one change of files
// (FileChange.h); then the one directory listing of the program. None of them reads the catalogue or rescans
// it: the command that called them rescans once, at its end. The file operations log every failure (reading
// and writing report theirs and return normally); the results below say what the caller may rely on.
#include "rules/Trap.h"
#include "rules/XtrRecord.h"
#include "xtr/FileChange.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Reads the file named by the entry's folder and fileName into its title, program path pieces, autoStart and
// autoStop, and keeps what it read of the file (bytes, and for a file larger than those its size and
// last-write time), or marks it unreadable.
void ReadXTR(XtrRecord& entry);

// A file as it is now, read whole, for a save to compare with what the scan kept of it and to save over.
struct FileNow {
    enum class State { Read, Missing, InUse };
    State state = State::Missing;
    std::string bytes; // the whole file, when Read
    std::uint64_t size = 0;
    std::uint64_t lastWrite = 0;
    bool operator==(const FileNow&) const = default;
};
FileNow ReadFileNow(const std::wstring& path);

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

// Moves the entry's file into the folder its active flag names (the new state: the caller has set it) from
// the other one. A file no longer there is no error: nothing is moved. A file of its name in the folder it
// goes to, and replacing's others, go as replacing says (the caller has asked the user). A failing step ends
// it having changed nothing, and says so.
TrapResult ActiveChanged(const XtrRecord& entry, const Replacing& replacing = {});

// Replaces loaded's file (the entry as it was read) by entry written under its new name, in entry's folder;
// setting as for ContentChanged. A file that stands at the new name, and replacing's others, go as replacing
// says. The old file goes with the change (into the bin when another program changed it since it was read); a
// change of letter case alone leaves one file, spelled the new way. All or nothing.
TrapResult FilenameChanged(const XtrRecord& entry, const XtrRecord& loaded, std::wstring_view setting,
                           const Replacing& replacing = {});

// Moves the file from the folder the entry's active flag names into the Recycle Bin; a failure when the file
// could not go. Where the bin cannot take it, the file stays and the failure is Err::NoRecycleBin; with
// ForGood (the user agreed to that) it is deleted for good instead.
TrapResult DeleteXTR(const XtrRecord& entry, const Replacing& replacing = {});

// The one directory listing of the program: by pattern, normal files only.
// Calls onFile with the name (without folder) of each normal file matching pattern, in the order the platform
// lists them, until onFile returns false. Folders, hidden and system files are skipped. A pattern ending in
// "\" lists that whole folder. A folder or file that does not exist gives an empty listing, and so does a
// folder that is a file; any other failure raises its error number.
void ListNormalFiles(const std::wstring& pattern, const std::function<bool(std::wstring_view name)>& onFile);

// The names of every normal file of folder whose extension is ".xtr", in listing order.
std::vector<std::wstring> ListXtrFiles(const std::wstring& folder);

// Whether a normal file (no folder, hidden or system file) stands at path, from its attributes: false when
// nothing is there (no file, folder, drive, server or share); any other failure raises its error number.
bool NormalFileAt(const std::wstring& path);

// The name of the first normal file the listing of pattern returns; nothing when it returns none.
std::optional<std::wstring> FirstNormalFile(const std::wstring& pattern);
