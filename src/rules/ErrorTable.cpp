#include "rules/ErrorTable.h"

namespace {
struct ErrorText {
    int number;
    std::wstring_view text;
};

constexpr ErrorText kErrorTexts[] = {
    {5, L"Invalid procedure call or argument"},
    {6, L"Overflow"},
    {7, L"Out of memory"},
    {9, L"Subscript out of range"},
    {51, L"Internal error"},
    {52, L"Bad file name or number"},
    {53, L"File not found"},
    {57, L"Device I/O error"},
    {58, L"File already exists"},
    {61, L"Disk full"},
    {62, L"Input past end of file"},
    {67, L"Too many files"},
    {68, L"Device unavailable"},
    {70, L"Permission denied"},
    {71, L"Disk not ready"},
    {74, L"Can't rename with different drive"},
    {75, L"Path/File access error"},
    {76, L"Path not found"},
    {513, L"cannot go to the Recycle Bin"},
    {514, L"the folder does not let Quillon change its files"},
    {515, L"changed by another program meanwhile"},
};

struct SystemCodeMapping {
    unsigned long code;
    int number;
};

// Win32 codes as winerror.h numbers them; kept here so that this table needs no system header.
constexpr SystemCodeMapping kSystemCodes[] = {
    {1, Err::InvalidCall},           // ERROR_INVALID_FUNCTION
    {2, Err::FileNotFound},          // ERROR_FILE_NOT_FOUND
    {3, Err::PathNotFound},          // ERROR_PATH_NOT_FOUND
    {4, Err::TooManyFiles},          // ERROR_TOO_MANY_OPEN_FILES
    {5, Err::PermissionDenied},      // ERROR_ACCESS_DENIED
    {6, Err::BadFileNameOrNumber},   // ERROR_INVALID_HANDLE
    {8, Err::OutOfMemory},           // ERROR_NOT_ENOUGH_MEMORY
    {14, Err::OutOfMemory},          // ERROR_OUTOFMEMORY
    {15, Err::DeviceUnavailable},    // ERROR_INVALID_DRIVE
    {17, Err::RenameAcrossDrives},   // ERROR_NOT_SAME_DEVICE
    {19, Err::PermissionDenied},     // ERROR_WRITE_PROTECT
    {21, Err::DiskNotReady},         // ERROR_NOT_READY
    {23, Err::DeviceIOError},        // ERROR_CRC
    {29, Err::DeviceIOError},        // ERROR_WRITE_FAULT
    {30, Err::DeviceIOError},        // ERROR_READ_FAULT
    {32, Err::PermissionDenied},     // ERROR_SHARING_VIOLATION
    {33, Err::PermissionDenied},     // ERROR_LOCK_VIOLATION
    {38, Err::InputPastEndOfFile},   // ERROR_HANDLE_EOF
    {39, Err::DiskFull},             // ERROR_HANDLE_DISK_FULL
    {53, Err::PathNotFound},         // ERROR_BAD_NETPATH
    {67, Err::PathNotFound},         // ERROR_BAD_NET_NAME
    {80, Err::FileAlreadyExists},    // ERROR_FILE_EXISTS
    {87, Err::InvalidCall},          // ERROR_INVALID_PARAMETER
    {112, Err::DiskFull},            // ERROR_DISK_FULL
    {123, Err::BadFileNameOrNumber}, // ERROR_INVALID_NAME
    {161, Err::BadFileNameOrNumber}, // ERROR_BAD_PATHNAME
    {183, Err::FileAlreadyExists},   // ERROR_ALREADY_EXISTS
    {206, Err::BadFileNameOrNumber}, // ERROR_FILENAME_EXCED_RANGE
    {267, Err::PathNotFound},        // ERROR_DIRECTORY
    {1392, Err::DeviceIOError},      // ERROR_FILE_CORRUPT
};
} // namespace

std::wstring_view ErrorDescription(int number) {
    for (const ErrorText& entry : kErrorTexts) {
        if (entry.number == number) {
            return entry.text;
        }
    }
    return L"Application-defined or object-defined error";
}

int ErrorNumberFromSystemCode(unsigned long code) {
    for (const SystemCodeMapping& entry : kSystemCodes) {
        if (entry.code == code) {
            return entry.number;
        }
    }
    return Err::PathFileAccessError;
}

std::int16_t ToErrorNumber16(long long number) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(number & 0xFFFF));
}
