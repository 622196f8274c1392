#include "xtr/XtrFile.h"

#include "app/AppInfo.h"
#include "common/ErrorTable.h"
#include "common/Trap.h"
#include "common/Win32.h"
#include "host/HostFolder.h"
#include "xtr/XtrFormat.h"
#include "xtr/ProgramPaths.h"
#include "xtr/TemporaryFiles.h"
#include "xtr/XtrNames.h"
#include "xtr/XtrTable.h"

#include <algorithm>

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
    temporary.PutInPlace(folder + L"\\" + name);
}
} // namespace

std::string ReadXtrBytes(const std::wstring& path) { return ReadKeptBytes(OpenForReading(path).get()); }

void ReadXTR(std::int16_t index) {
    int marker = 0;
    Trap(L"Module1.ReadXTR sourceline = ", marker, [&] {
        XtrRecord& entry = XtrEntry(index);
        entry.unreadable = true; // until the bytes are in
        UniqueFile file = OpenForReading(entry.folder + L"\\" + entry.fileName);
        marker = 100;
        entry.bytes = ReadKeptBytes(file.get());
        entry.unreadable = false;
        const std::wstring text = FromAnsi(entry.bytes);
        int lineNumber = 0;
        for (std::wstring_view line : SplitXtrLines(text)) {
            marker = 110;
            ++lineNumber;
            ApplyXtrLine(entry, lineNumber, line, marker);
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

bool ContentChanged() {
    return Trap(L"Module1.ContentChanged", [] {
        const XtrRecord& entry = XtrEntry(CurrentIndex);
        // A typed name could open a device (CON, COM1...) or reach another folder or stream.
        if (!IsPlainFileName(entry.fileName)) {
            Raise(Err::BadFileNameOrNumber);
        }
        const std::wstring programPath = ProgramPathForFile(CurrentIndex);
        SYSTEMTIME now;
        ::GetLocalTime(&now);
        const std::wstring text =
            BuildXtrText(entry, programPath, AppTitle, LocaleText(&::GetDateFormatW, DATE_SHORTDATE, now),
                         LocaleText(&::GetTimeFormatW, 0, now));
        ReplaceFileContent(entry.folder, entry.fileName, ToAnsi(text));
    });
}
