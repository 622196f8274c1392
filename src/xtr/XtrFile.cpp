#include "xtr/XtrFile.h"

#include "app/AppInfo.h"
#include "common/ErrorTable.h"
#include "common/Trap.h"
#include "common/Ui.h"
#include "common/Win32.h"
#include "host/HostFolder.h"
#include "xtr/XtrFormat.h"
#include "xtr/XtrNames.h"
#include "xtr/XtrTable.h"

#include <algorithm>
#include <atomic>

namespace {
// Only the first four lines mean anything, so reading stops once they are
// complete: an odd, large file named *.xtr costs no more than a small one.
std::string ReadLeadingLines(HANDLE file, size_t lineCount) {
    std::string bytes;
    char buffer[4096];
    size_t lineEnds = 0;
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file, buffer, sizeof(buffer), &read, nullptr)) {
            RaiseLastError();
        }
        if (read == 0) {
            return bytes;
        }
        bytes.append(buffer, read);
        // Every line end holds exactly one CR, and no code page uses CR inside a character.
        lineEnds += static_cast<size_t>(std::count(buffer, buffer + read, '\r'));
        if (lineEnds >= lineCount) {
            return bytes;
        }
    }
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

// Deletes a temporary file unless it was put in place.
class TemporaryFile {
  public:
    explicit TemporaryFile(std::wstring path) : path_(std::move(path)) {}
    ~TemporaryFile() {
        if (!path_.empty()) {
            ::DeleteFileW(path_.c_str());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::wstring& Path() const { return path_; }
    void Kept() { path_.clear(); }

  private:
    std::wstring path_;
};

// UI-View32 may read an XTR file at any moment, so the new text goes to a
// temporary file beside the target first and then replaces it in one step: a
// reader sees the old file or the new one, never a part.
void ReplaceFileContent(const std::wstring& folder, const std::wstring& name, const std::string& bytes) {
    static std::atomic<unsigned> counter{0};
    const std::wstring target = folder + L"\\" + name;
    // A one-step replace succeeds over a read-only file on some file systems
    // (Wine's among them) and fails on others: a read-only file is never written.
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        Raise(Err::PermissionDenied);
    }
    // ".tmp" keeps it out of any "*.xtr" listing while it exists; a short name
    // of its own leaves the whole length a file name may have to the target's.
    TemporaryFile temporary(folder + L"\\~Quillon-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                            std::to_wstring(counter++) + L".tmp");
    {
        UniqueFile file(::CreateFileW(temporary.Path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            const DWORD code = ::GetLastError();
            temporary.Kept(); // not created, nothing to remove (and never someone else's file)
            RaiseSystemError(code);
        }
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
    if (!Ui::ReplaceFileWith(temporary.Path(), target)) {
        RaiseLastError();
    }
    temporary.Kept();
}
} // namespace

void ReadXTR(std::int16_t index) {
    int marker = 0;
    Trap(L"Module1.ReadXTR sourceline = ", marker, [&] {
        XtrRecord& entry = XtrEntry(index);
        const std::wstring path = entry.folder + L"\\" + entry.fileName;
        UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!file) {
            RaiseLastError();
        }
        marker = 100;
        const std::wstring text = FromAnsi(ReadLeadingLines(file.get(), 4));
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
