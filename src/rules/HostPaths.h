#pragma once
// How a program path relates to the UI-View32 folder, and where it is to be looked for.
#include <cstdint>
#include <string>
#include <string_view>

// The three pieces an XTR entry holds of a program path: drive ("C:" or
// empty), directory (no trailing "\"; may begin with "\") and file name.
struct ProgramPathView {
    std::wstring_view drive, dir, file;
};

// The folder setting without one trailing backslash (only one).
std::wstring WithoutTrailingBackslash(std::wstring_view setting);

// The pieces joined: drive + dir + "\" + file when there is a drive; else
// base + dir + "\" + file when there is a directory; else base + file. base
// stands for the UI-View32 folder in front of a path without drive, joined
// without a separator of its own. A directory beginning with "\\" is a
// network path's, absolute: no base goes in front of it.
std::wstring JoinProgramPath(std::wstring_view base, ProgramPathView path);

// The absolute path of the program; a path without drive is relative to the
// UI-View32 folder and joined to it at the folder's boundary: one "\" between
// them whether or not the setting ends in one, and a leading "\" of the
// directory ("\Addons") does not double it. Without a setting the path stays
// relative.
std::wstring ProgramPathAbsoluteOf(ProgramPathView path, std::wstring_view setting);

// The program path as an XTR file stores it: relative to the UI-View32 folder
// when it lies inside that folder, the setting compared case-sensitively and
// followed by a "\" in the path ("C:\UI-View32 Tools\x.exe" is not inside
// "C:\UI-View32").
std::wstring ProgramPathForFileOf(ProgramPathView path, std::wstring_view setting);

// Where a program is to be looked for, read strictly from the path the system will open: the form the
// system's full-path routine gives for it, "/" read as "\\", "." and ".." collapsed. Drive: "X:\...",
// "\\?\X:\..." or "\\.\X:\..." (server holds "X:"). Share: "\\server\share\...", "\\?\UNC\..." or
// "\\.\UNC\...". Untold, never to be contacted: any other form (another device, a relative or empty path),
// an empty, "." or ".." part (left in device paths, and collapsed when some systems open them), or a server
// whose name the security zones cannot judge as it stands: anything but ASCII letters, digits, "-", "_" and
// dots, or an address in any spelling but four decimal numbers. NoFile: a path ending in a separator, naming
// no file of a share, or holding wildcards.
struct ProgramPlace {
    enum class Kind : std::uint8_t { Drive, Share, Untold, NoFile };
    Kind kind = Kind::Untold;
    std::wstring_view server, share;
};
ProgramPlace ProgramPlaceOf(std::wstring_view opened) noexcept;
