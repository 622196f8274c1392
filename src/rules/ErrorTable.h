#pragma once
// The program's error numbers and their standard descriptions, in the classic
// numbering the diagnostic log has always used, and the mapping from system
// error codes onto them.
#include <cstdint>
#include <string_view>

namespace Err {
constexpr int InvalidCall = 5;
constexpr int Overflow = 6;
constexpr int OutOfMemory = 7;
constexpr int SubscriptOutOfRange = 9;
constexpr int InternalError = 51;
constexpr int BadFileNameOrNumber = 52;
constexpr int FileNotFound = 53;
constexpr int DeviceIOError = 57;
constexpr int FileAlreadyExists = 58;
constexpr int DiskFull = 61;
constexpr int InputPastEndOfFile = 62;
constexpr int TooManyFiles = 67;
constexpr int DeviceUnavailable = 68;
constexpr int PermissionDenied = 70;
constexpr int DiskNotReady = 71;
constexpr int RenameAcrossDrives = 74;
constexpr int PathFileAccessError = 75;
constexpr int PathNotFound = 76;
// Quillon's own: the Recycle Bin cannot take a file (its drive has none, the
// file is too large for it, or the bin refused or would delete it).
constexpr int NoRecycleBin = 513;
// A folder refused a new file of Quillon's while the files in it were neither
// read-only nor in use: it does not let Quillon change its files.
constexpr int FolderRefused = 514;
// A file changed, came or went by another program's hand while Quillon asked or worked: a version the user
// was not asked about would go. It is asked about again.
constexpr int ChangedMeanwhile = 515;
} // namespace Err

// The standard text of an error number; numbers outside the table get the
// generic "Application-defined or object-defined error".
std::wstring_view ErrorDescription(int number);

// Maps a Win32 error code (GetLastError, LSTATUS) onto the table above.
// Codes without a closer match become "Path/File access error".
int ErrorNumberFromSystemCode(unsigned long code);

// Wraps any int to the signed 16-bit range, as the trap stores it.
std::int16_t ToErrorNumber16(long long number);
