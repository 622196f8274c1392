#pragma once
// How a program path relates to the UI-View32 folder.
#include <string>
#include <string_view>

// The three pieces an XTR entry holds of a program path: drive ("C:" or
// empty), directory (no trailing "\"; may begin with "\") and file name.
struct ProgramPathView {
    std::wstring_view drive, dir, file;
};

// The folder setting without one trailing backslash (only one).
std::wstring WithoutTrailingBackslash(std::wstring_view setting);

// A path that names its place on its own: "X:\..." or a network path
// "\\server\...". Any other ("folder", "\folder" on the current drive,
// "C:folder") depends on the current folder.
bool IsFullPath(std::wstring_view path) noexcept;

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

// The server of a network path "\\server\share\..." (or "//server/...",
// "\\?\UNC\server\..."), as written; "?" or "." for a device path other than
// a drive's; empty for any other path.
std::wstring_view NetworkServerOf(std::wstring_view path) noexcept;
