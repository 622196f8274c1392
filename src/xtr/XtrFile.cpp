#include "xtr/XtrFile.h"

#include "app/AppInfo.h"
#include "common/ErrorTable.h"
#include "common/Trap.h"
#include "common/Win32.h"
#include "host/HostFolder.h"
#include "host/HostPaths.h"
#include "xtr/XtrFormat.h"
#include "xtr/ProgramPaths.h"
#include "xtr/TemporaryFiles.h"
#include "xtr/XtrNames.h"
#include "xtr/XtrTable.h"

#include <algorithm>
#include <vector>

namespace {
// A file of at most this size is kept whole; of a larger one, as much as its
// first four lines need (only they mean anything), so that an odd, large file
// named *.xtr costs no more than it must.
constexpr size_t kKeptWhole = 64 * 1024;

std::string ReadKeptBytes(HANDLE file) {
    std::string bytes;
    char buffer[4096];
    size_t lineEnds = 0;
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file, buffer, sizeof(buffer), &read, nullptr)) {
            RaiseLastError();
        }
        bytes.append(buffer, read);
        // A short read of a disk file is its end: no second call to learn it.
        if (read < sizeof(buffer)) {
            return bytes;
        }
        // Every line end holds exactly one CR, and no code page uses CR inside a character.
        lineEnds += static_cast<size_t>(std::count(buffer, buffer + read, '\r'));
        if (lineEnds >= 4 && bytes.size() >= kKeptWhole) {
            return bytes;
        }
    }
}

UniqueFile OpenForReading(const std::wstring& path) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        RaiseLastError();
    }
    return file;
}

std::wstring LocaleText(int(WINAPI* format)(LCID, DWORD, const SYSTEMTIME*, LPCWSTR, LPWSTR, int),
                        DWORD flags, const SYSTEMTIME& when) {
    wchar_t text[128];
    const int length = format(LOCALE_USER_DEFAULT, flags, &when, nullptr, text, 128);
    if (length <= 0) {
        RaiseLastError();
    }
    return std::wstring(text, static_cast<size_t>(length - 1));
}

// Writes every byte and flushes; the file is closed on return, whatever happens.
void WriteWhole(UniqueFile file, const std::string& bytes) {
    DWORD written = 0;
    if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
        RaiseLastError();
    }
    if (written != bytes.size()) {
        Raise(Err::DiskFull);
    }
    if (!::FlushFileBuffers(file.get())) {
        RaiseLastError();
    }
}

// UI-View32 may read an XTR file at any moment, so the new text goes to a
// temporary file beside the target first and then replaces it in one step: a
// reader sees the old file or the new one, never a part.
void ReplaceFileContent(const std::wstring& folder, const std::wstring& name, const std::string& bytes) {
    UniqueFile file;
    TemporaryFile temporary(MakeTemporary(folder, [&file](const std::wstring& path) {
        file.reset(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
        return static_cast<bool>(file);
    }));
    WriteWhole(std::move(file), bytes);
    temporary.PutInPlace(JoinPath(folder, name));
}
// The line, read as line 2 of a file, gives the entry's program path pieces.
bool ReadsAsTheEntrysPath(std::string_view line, const XtrRecord& entry) {
    XtrRecord read;
    int marker = 0;
    ApplyXtrLine(read, 2, FromAnsi(line), marker);
    return read.programDrive == entry.programDrive && read.programDir == entry.programDir &&
           read.programFile == entry.programFile;
}
} // namespace

std::string ReadXtrBytes(const std::wstring& path) { return ReadKeptBytes(OpenForReading(path).get()); }

void ReadXTR(std::int16_t index) {
    int marker = 0;
    Trap(L"Module1.ReadXTR sourceline = ", marker, [&] {
        XtrRecord& entry = XtrEntry(index);
        entry.unreadable = true; // until the bytes are in
        UniqueFile file = OpenForReading(JoinPath(entry.folder, entry.fileName));
        marker = 100;
        entry.bytes = ReadKeptBytes(file.get());
        entry.unreadable = false;
        int lineNumber = 0;
        for (std::string_view line : SplitXtrLines(std::string_view(entry.bytes))) {
            marker = 110;
            ++lineNumber;
            ApplyXtrLine(entry, lineNumber, FromAnsi(line), marker);
            if (lineNumber >= 4) {
                break;
            }
            marker = 100;
        }
        marker = 270;
        if (!::CloseHandle(file.release())) {
            RaiseLastError();
        }
    });
}

// A title or program path that an entry still holds as it was read goes back
// with the very bytes it was read from: decoding and encoding again would
// change bytes the code page does not define, and cutting a path into its
// pieces and joining them again changes a path that is no plain file path (a
// web address, "C:z.exe"). A full path inside the UI-View32 folder is the
// exception: it is written shortened, on purpose.
TrapResult ContentChanged() {
    return Trap(L"Module1.ContentChanged", [] {
        const XtrRecord& entry = XtrEntry(CurrentIndex);
        // A typed name could open a device (CON, COM1...) or reach another folder or stream.
        if (!IsPlainFileName(entry.fileName)) {
            Raise(Err::BadFileNameOrNumber);
        }
        const std::vector<std::string_view> read =
            entry.unreadable ? std::vector<std::string_view>{} : SplitXtrLines(std::string_view(entry.bytes));
        std::string bytes;
        if (!read.empty() && FromAnsi(read[0]) == entry.title) {
            bytes.append(read[0]);
        } else {
            bytes += ToAnsi(AsOneLine(entry.title));
        }
        bytes += "\r\n";
        const std::wstring programPath = ProgramPathForFile(CurrentIndex);
        const bool shortened = programPath != JoinProgramPath(L"", ProgramPathOf(entry));
        if (read.size() >= 2 && !shortened && ReadsAsTheEntrysPath(read[1], entry)) {
            bytes.append(read[1]);
        } else {
            bytes += ToAnsi(XtrProgramLine(programPath));
        }
        bytes += "\r\n";
        SYSTEMTIME now;
        ::GetLocalTime(&now);
        bytes += ToAnsi(XtrClosingLines(entry, AppTitle, LocaleText(&::GetDateFormatW, DATE_SHORTDATE, now),
                                        LocaleText(&::GetTimeFormatW, 0, now)));
        ReplaceFileContent(entry.folder, entry.fileName, bytes);
    });
}
