#pragma once
// Files and folders as they are now: a file opened, read whole or looked at, and the one directory listing of
// the program. Nothing here changes a file.
#include "system/Win32.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Opened to read, as other programs, UI-View32 among them, may hold it: not
// open when it cannot be (the thread's last error says why).
UniqueFile OpenToRead(const std::wstring& path);

// Opened to be deleted, which is how Quillon tells whether the file at path can go: not open when it cannot
// be (another program holding it so, UI-View32 reading it: a sharing violation; the thread's last error says
// why).
UniqueFile OpenToDelete(const std::wstring& path);

// Size and last-write time of an open file; false, the thread's last error saying why, when they cannot be
// had.
bool ReadFileFacts(HANDLE file, std::uint64_t& size, std::uint64_t& lastWrite);

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

// Both files are there, read whole, with the same bytes.
bool SameBytes(const std::wstring& a, const std::wstring& b);

// Something, a file or a folder, stands at path, however long the path.
bool Exists(const std::wstring& path);

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
