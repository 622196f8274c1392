#include "xtr/XtrFile.h"

#include "host/HostFolder.h"
#include "rules/AppInfo.h"
#include "rules/ErrorTable.h"
#include "rules/HostPaths.h"
#include "rules/XtrFormat.h"
#include "rules/XtrNames.h"
#include "system/OwnFiles.h"
#include "xtr/LetterCaseRename.h"

#include <algorithm>
#include <array>
#include <optional>

namespace {
// A file of at most this size is kept whole; of a larger one, as much as its first four lines need (only they
// mean anything), so that an odd, large file named *.xtr costs no more than it must.
constexpr size_t kKeptWhole = 64 * 1024;

// Keeps what ReadXTR keeps of an open file in entry: all of a small file;
// of a larger one, its first lines, size and last-write time.
void ReadKeptBytes(HANDLE file, XtrRecord& entry) {
    std::string& bytes = entry.bytes;
    bytes.clear();
    entry.fileSize = entry.lastWrite = 0;
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
            return;
        }
        // Every line end holds exactly one CR, and no code page uses CR inside a character.
        lineEnds += static_cast<size_t>(std::count(buffer, buffer + read, '\r'));
        if (lineEnds >= 4 && bytes.size() >= kKeptWhole) {
            if (!ReadFileFacts(file, entry.fileSize, entry.lastWrite)) {
                RaiseLastError();
            }
            return;
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

// UI-View32 may read an XTR file at any moment, so the new text goes to a temporary file beside the target
// first, which then replaces it in one step: a reader sees the old file or the new one, never a part.
TemporaryFile WrittenTemporary(const std::wstring& target, const std::string& bytes) {
    UniqueFile file;
    TemporaryFile temporary = NewTemporary(target, file);
    WriteWhole(std::move(file), bytes);
    StepReached(L"written");
    return temporary;
}

// The line, read as line 2 of a file, gives the entry's program path pieces.
bool ReadsAsTheEntrysPath(std::string_view line, const XtrRecord& entry) {
    XtrRecord read;
    int marker = 0;
    ApplyXtrLine(read, 2, FromAnsi(line), marker);
    return SameProgramPath(read, entry);
}

// The separator and "created by " line, as the writer ends a file.
std::string ClosingBytes() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return ToAnsi(XtrClosingPair(AppTitle, LocaleText(&::GetDateFormatW, DATE_SHORTDATE, now),
                                 LocaleText(&::GetTimeFormatW, 0, now)));
}

// A folder of the catalogue that is gone (renamed, a drive unplugged, a plain file in its place) fails the
// command; a file alone that is gone is only what the rescan will show.
void RequireFolder(const std::wstring& folder) {
    if (const std::optional<NoFolder> problem = WhyNoFolderAt(folder)) {
        throw TrapError(problem->number, 0, folder);
    }
}
} // namespace

bool ChangedSince(const FileNow& now, const XtrRecord& entry) {
    if (entry.unreadable) {
        return true; // nothing to compare with: what the user saw may not be what the file holds
    }
    if (now.state != FileNow::State::Read) {
        return now.state == FileNow::State::Missing; // one in use cannot tell
    }
    if (entry.fileSize == 0) {
        return now.bytes != entry.bytes;
    }
    // Only the first part was kept: the size and the last-write time tell of a change past it.
    return now.size != entry.fileSize || now.lastWrite != entry.lastWrite ||
           std::string_view(now.bytes).substr(0, entry.bytes.size()) != entry.bytes;
}

void ReadXTR(XtrRecord& entry) {
    int marker = 0;
    Trap(L"Module1.ReadXTR sourceline = ", marker, [&] {
        entry.unreadable = true; // until the bytes are in
        UniqueFile file = OpenToRead(JoinPath(entry.folder, entry.fileName));
        if (!file) {
            RaiseLastError();
        }
        marker = 100;
        ReadKeptBytes(file.get(), entry);
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

// Only what the user changed is written anew. A title or program path that an entry still holds as the file
// had it goes back with the very bytes it was read from: decoding and encoding again would change bytes the
// code page does not define, and cutting a path into its pieces and joining them again changes a path that is
// no plain file path (a web address, "C:z.exe"). A full path inside the UI-View32 folder is the exception: it
// is written shortened, on purpose. "yes" stays "yes" while it means True.
TrapResult ContentChanged(const XtrRecord& entry, std::wstring_view setting, FileChange* change) {
    return Trap(L"Module1.ContentChanged", [&] {
        // A typed name could open a device (CON, COM1...) or reach another folder or stream.
        if (!IsPlainFileName(entry.fileName)) {
            Raise(Err::BadFileNameOrNumber);
        }
        // Of a large file the scan kept only the first part: what follows must not be lost.
        if (entry.fileSize != 0) {
            Raise(Err::InternalError);
        }
        const XtrFileCut base =
            CutXtrFile(entry.unreadable ? std::string_view() : std::string_view(entry.bytes));
        auto line = [&base](size_t i) -> std::optional<std::string_view> {
            return i < base.lines.size() ? std::optional(base.lines[i].text) : std::nullopt;
        };
        std::array<std::optional<std::string>, 4> fresh;
        if (!line(0) || FromAnsi(*line(0)) != entry.title) {
            fresh[0] = ToAnsi(AsOneLine(entry.title));
        }
        const std::wstring programPath = ProgramPathForFileOf(ProgramPathOf(entry), setting);
        const bool shortened = programPath != JoinProgramPath(L"", ProgramPathOf(entry));
        if (!line(1) || shortened || !ReadsAsTheEntrysPath(*line(1), entry)) {
            fresh[1] = ToAnsi(XtrProgramLine(programPath));
        }
        if (!line(2) || IsitTrue(FromAnsi(*line(2))) != entry.autoStart) {
            fresh[2] = ToAnsi(BoolText(entry.autoStart));
        }
        if (!line(3) || IsitTrue(FromAnsi(*line(3))) != entry.autoStop) {
            fresh[3] = ToAnsi(BoolText(entry.autoStop));
        }
        const std::wstring target = JoinPath(entry.folder, entry.fileName);
        TemporaryFile written = WrittenTemporary(target, JoinSavedXtr(base, fresh, ClosingBytes()));
        if (change != nullptr) {
            change->Put(std::move(written), target);
            return;
        }
        FileChange own;
        own.Put(std::move(written), target,
                entry.unreadable ? std::nullopt : std::optional<std::string_view>(entry.bytes));
        own.Commit();
    });
}

TrapResult ActiveChanged(const XtrRecord& entry, const std::wstring& destination,
                         const Replacing& replacing) {
    return Trap(L"Module1.ActiveChanged", [&] {
        const std::wstring source = JoinPath(entry.folder, entry.fileName);
        const std::wstring target = JoinPath(destination, entry.fileName);
        RequireFolder(destination);
        // A file that is no longer there (another program moved it) is no error:
        // the rescan shows the disk. The listing sees ordinary files only.
        bool listed = false;
        ListNormalFiles(source, [&](std::wstring_view name) {
            listed = EqualsIgnoringCase(name, entry.fileName);
            return !listed;
        });
        if (!listed) {
            RequireFolder(entry.folder);
            return;
        }
        // Renamed, not rewritten: the file keeps its bytes.
        FileChange change(replacing);
        change.Move(source, target);
        change.Commit();
    });
}

TrapResult FilenameChanged(const XtrRecord& entry, const XtrRecord& loaded, std::wstring_view setting,
                           const Replacing& replacing) {
    TrapResult written;
    const TrapResult renamed = Trap(L"Module1.FilenameChanged", [&] {
        const std::wstring oldPath = JoinPath(loaded.folder, loaded.fileName);
        const std::wstring newPath = JoinPath(entry.folder, entry.fileName);
        if (EqualsIgnoringCase(oldPath, newPath)) {
            // Both names denote one file: rename it to the new spelling, then rewrite it in place.
            if (oldPath != newPath) {
                RenameLetterCase(oldPath, newPath);
            }
            written = ContentChanged(entry, setting);
            return;
        }
        FileChange change(replacing);
        change.Replace(newPath); // someone else's: the caller has asked the user
        // The old file holds what the new one carries, unless another program
        // wrote into it since: then it goes into the Recycle Bin, not away.
        const FileNow old = ReadFileNow(oldPath);
        if (old.state == FileNow::State::Read && old.bytes != entry.bytes) {
            change.Replace(oldPath);
        } else {
            change.Drop(oldPath, entry.bytes);
        }
        written = ContentChanged(entry, setting, &change);
        if (written) {
            change.Commit();
        }
    });
    return written ? renamed : written;
}

TrapResult DeleteXTR(const XtrRecord& entry, const Replacing& replacing) {
    return Trap(L"Module1.DeleteXTR", [&] {
        const std::wstring path = JoinPath(entry.folder, entry.fileName);
        // Gone already (another program deleted it): what the user asked for is
        // done. Gone with its folder, it could not be: that fails.
        if (!IsFileAt(path)) {
            RequireFolder(entry.folder);
            return;
        }
        FileChange change(replacing);
        change.Replace(path, true); // read-only or not: this is the file the user chose
        change.Commit();
    });
}
