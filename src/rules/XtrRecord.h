#pragma once
#include "rules/HostPaths.h"

#include <cstdint>
#include <string>

// How the scan checked an entry's program; never stored.
enum class ProgramLook : std::uint8_t {
    Looked,       // looked for, locally or on a server that answered
    ServerSilent, // its server did not answer the scan in time
    NotContacted, // its server lies outside the local network, or cannot be told: never asked
};

// One XTR file in memory. The application path is held only as its three pieces.
struct XtrRecord {
    std::wstring fileName; // name with its extension, no folder
    std::wstring folder;   // HostFolder, or HostFolder\SavedXTR; no trailing separator
    bool autoStart = false;
    bool autoStop = false;
    std::wstring title;
    std::wstring programDrive; // "C:" or empty
    std::wstring programDir;   // between drive and file name, no trailing "\"; may begin with "\"
    std::wstring programFile;
    std::wstring programAbsolute; // the path the scan judged, as the system opens it; not in the file
    bool programFound = false;    // set by the scan, never stored in the file
    ProgramLook programLook = ProgramLook::Looked;
    bool active = false; // the file lives in HostFolder; the folder alone records it

    // What the scan read of the file (see ReadXTR), so that a save can tell
    // whether another program has changed it since; unreadable when the scan
    // could not read it. Neither is ever written to a file.
    std::string bytes;
    bool unreadable = false;
    // Of a file larger than what was kept of it, its size and last-write
    // time, so that a change past the bytes kept is seen too; 0 when bytes
    // hold the whole file.
    std::uint64_t fileSize = 0;
    std::uint64_t lastWrite = 0;

    bool operator==(const XtrRecord&) const = default;
};

// The entry's program path as its three pieces.
inline ProgramPathView ProgramPathOf(const XtrRecord& entry) {
    return {entry.programDrive, entry.programDir, entry.programFile};
}

// Both name the program by the same three pieces, compared exactly (letter case counts).
inline bool SameProgramPath(const XtrRecord& a, const XtrRecord& b) {
    return a.programDrive == b.programDrive && a.programDir == b.programDir && a.programFile == b.programFile;
}
