#include "xtr/TemporaryFiles.h"

#include "rules/ErrorTable.h"
#include "rules/Trap.h"
#include "rules/XtrNames.h"
#include "system/RecycleBin.h"
#include "system/Win32.h"
#include "xtr/FileListing.h"

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <vector>

namespace {
constexpr unsigned long long kTicksPerSecond = 10'000'000; // file times count 100 ns
constexpr unsigned long long kLeftoverAge = 60 * kTicksPerSecond;

unsigned long long NowTicks() {
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    return FileTimeTicks(now);
}

// "~Quillon-<digits>-<digits>.tmp": what earlier versions wrote while saving.
bool IsEarlierSaveTemporary(std::wstring_view name) {
    const std::wstring_view prefix = kTemporaryPrefix;
    if (!name.starts_with(prefix) || !name.ends_with(L".tmp")) {
        return false;
    }
    name.remove_prefix(prefix.size());
    name.remove_suffix(4);
    const size_t dash = name.find(L'-');
    auto digits = [](std::wstring_view text) {
        return !text.empty() && text.find_first_not_of(L"0123456789") == std::wstring_view::npos;
    };
    return dash != std::wstring_view::npos && digits(name.substr(0, dash)) && digits(name.substr(dash + 1));
}

// When the file was made: from its name, else from the file system.
std::optional<unsigned long long> MadeAt(const std::wstring& path, std::wstring_view name) {
    if (const std::optional<TemporaryNameParts> parts = ParseTemporaryName(name)) {
        return parts->stamp;
    }
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return std::nullopt;
    }
    return std::max(FileTimeTicks(data.ftCreationTime), FileTimeTicks(data.ftLastWriteTime));
}

// The title on the file's first line, in quotes, for the user to know it by.
std::wstring QuotedTitle(const std::wstring& path) {
    const UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    char head[512];
    DWORD read = 0;
    if (!file || !::ReadFile(file.get(), head, sizeof(head), &read, nullptr)) {
        read = 0;
    }
    const std::string_view bytes(head, read);
    return L"\"" + FromAnsi(bytes.substr(0, bytes.find_first_of("\r\n"))) + L"\"";
}

// One leftover: what it was made for when binned, else nothing.
std::optional<std::wstring> TidyOne(const std::wstring& folder, const std::wstring& name) {
    const std::wstring path = JoinPath(folder, name);
    const std::optional<TemporaryNameParts> parts = ParseTemporaryName(name);
    if (!parts && !IsEarlierSaveTemporary(name)) {
        return std::nullopt; // not a temporary of ours
    }
    const std::optional<unsigned long long> madeAt = MadeAt(path, name);
    if (!madeAt) {
        return std::nullopt;
    }
    const unsigned long long now = NowTicks();
    const unsigned long long age = now > *madeAt ? now - *madeAt : *madeAt - now;
    if (age <= kLeftoverAge) {
        return std::nullopt;
    }
    if ((parts && parts->copy) || FileLinkCount(path) > 1) {
        if (!::DeleteFileW(path.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
            RaiseLastError();
        }
        return std::nullopt;
    }
    const std::wstring known = parts && !parts->destination.empty() ? parts->destination : QuotedTitle(path);
    MoveToRecycleBin(path);
    return known;
}
} // namespace

std::wstring MakeTemporary(const std::wstring& folder,
                           const std::function<bool(const std::wstring& path)>& make,
                           std::optional<std::wstring_view> onTheWayTo, bool copy) {
    static std::atomic<unsigned> counter{0};
    constexpr int kAttempts = 16;
    DWORD code = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const unsigned long long stamp = NowTicks();
        const unsigned long process = ::GetCurrentProcessId();
        const unsigned number = counter++;
        const std::wstring path =
            JoinPath(folder, onTheWayTo ? TemporaryNameOnTheWay(stamp, process, number, *onTheWayTo, copy)
                                        : TemporaryName(stamp, process, number));
        if (make(path)) {
            return path;
        }
        code = ::GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    RaiseSystemError(code);
}

BinnedFile::BinnedFile(const std::wstring& path, bool readOnlyToo) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return;
    }
    if (!readOnlyToo && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        Raise(Err::PermissionDenied);
    }
    if (DriveHasNoBin(path)) {
        Raise(Err::NoRecycleBin);
    }
    // A file another program holds so that it cannot go (UI-View32 reading it)
    // fails here, before anything has changed.
    if (!UniqueFile(::CreateFileW(path.c_str(), DELETE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))) {
        RaiseLastError();
    }
    // The second name. A file system without hard links (FAT) has none: there
    // the drive's kind alone tells whether it has a bin.
    bool noLinks = false;
    try {
        second_ = MakeTemporary(
            std::wstring(FolderOf(path)),
            [&](const std::wstring& link) {
                if (::CreateHardLinkW(link.c_str(), path.c_str(), nullptr)) {
                    return true;
                }
                const DWORD code = ::GetLastError();
                noLinks = code == ERROR_INVALID_FUNCTION || code == ERROR_NOT_SUPPORTED;
                return false;
            },
            FileNameOf(path));
    } catch (const TrapError&) {
        if (!noLinks) {
            throw;
        }
    }
    const unsigned long names = second_.empty() ? 0 : FileLinkCount(second_);
    const int code = RecycleFile(path);
    const bool gone = ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
    if (!second_.empty() && gone && FileLinkCount(second_) < names) {
        // The bin took no name of it: the system deleted it for good. It goes back.
        if (::MoveFileExW(second_.c_str(), path.c_str(), 0)) {
            second_.clear();
        } // else the second name is a leftover the next start bins
        Raise(Err::NoRecycleBin);
    }
    if (!gone) {
        Settled();
        // A bin that says it took the file and left it where it was refuses it.
        constexpr int kCancelled = 0x75; // DE_OPCANCELLED
        Raise(code == kCancelled ? Err::NoRecycleBin
                                 : ErrorNumberFromShellFileCode(static_cast<unsigned long>(code)));
    }
    path_ = path;
    StepReached(L"binned");
}

BinnedFile::~BinnedFile() {
    if (!second_.empty()) {
        // The step after the binning failed: the file goes back where it was.
        ::MoveFileExW(second_.c_str(), path_.c_str(), 0);
    }
}

void BinnedFile::Settled() {
    if (!second_.empty()) {
        ::DeleteFileW(second_.c_str()); // a leftover one is deleted at the next start
        second_.clear();
    }
}

void MoveToRecycleBin(const std::wstring& path, bool forGood) {
    if (!forGood) {
        BinnedFile(path).Settled();
        return;
    }
    if (IsReadOnlyFile(path)) {
        Raise(Err::PermissionDenied);
    }
    if (!::DeleteFileW(path.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
        RaiseLastError();
    }
}

TemporaryFile::~TemporaryFile() {
    if (!path_.empty()) {
        ::SetFileAttributesW(path_.c_str(),
                             FILE_ATTRIBUTE_NORMAL); // a copy keeps its source's read-only mark
        ::DeleteFileW(path_.c_str());
    }
}

void TemporaryFile::PutInPlace(const std::wstring& target, Replacing replacing) {
    // A one-step replace succeeds over a read-only file on some file systems
    // (Wine's among them) and fails on others: a read-only file is never replaced.
    if (IsReadOnlyFile(target)) {
        Raise(Err::PermissionDenied);
    }
    std::optional<BinnedFile> old;
    if (replacing == Replacing::IntoTheBin) {
        old.emplace(target);
    }
    if (!MoveInOneStep(path_, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        RaiseLastError();
    }
    path_.clear();
    StepReached(L"renamed");
    if (old) {
        old->Settled();
    }
}

TemporaryFile TemporaryFor(const std::wstring& target,
                           const std::function<bool(const std::wstring& path)>& make) {
    return TemporaryFile(MakeTemporary(std::wstring(FolderOf(target)), make, FileNameOf(target)));
}

TemporaryFile CopyToTemporary(const std::wstring& source, const std::wstring& target) {
    // Made empty first, so that whatever a failed copy leaves is the temporary's own to delete.
    TemporaryFile copy(MakeTemporary(
        std::wstring(FolderOf(target)),
        [](const std::wstring& path) {
            return UniqueFile(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL, nullptr))
                .
                operator bool();
        },
        FileNameOf(target), true));
    if (!::CopyFileW(source.c_str(), copy.Path().c_str(), FALSE)) {
        RaiseLastError();
    }
    // Whole and on the disk before it takes the name: a copy keeps its
    // source's read-only mark, which a flush must pass.
    const DWORD attributes = ::GetFileAttributesW(copy.Path().c_str());
    ::SetFileAttributesW(copy.Path().c_str(), FILE_ATTRIBUTE_NORMAL);
    {
        const UniqueFile file(::CreateFileW(copy.Path().c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file || !::FlushFileBuffers(file.get())) {
            RaiseLastError();
        }
    }
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        ::SetFileAttributesW(copy.Path().c_str(), attributes);
    }
    StepReached(L"written");
    return copy;
}

void CopyIntoPlace(const std::wstring& source, const std::wstring& target, Replacing replacing) {
    CopyToTemporary(source, target).PutInPlace(target, replacing);
}

bool MoveInOneStep(const std::wstring& source, const std::wstring& target, unsigned long flags) {
    const ReplaceStep& step = ReplaceStepForTests();
    if (step) {
        return step(source, target);
    }
    return ::MoveFileExW(source.c_str(), target.c_str(), flags) != FALSE;
}

ReplaceStep& ReplaceStepForTests() {
    static ReplaceStep step;
    return step;
}

void StepReached(std::wstring_view step) {
    struct Ending {
        std::wstring step;
        unsigned long time = 1; // which time the step is reached
    };
    static const Ending ending = [] {
        wchar_t value[64];
        const DWORD length = ::GetEnvironmentVariableW(L"QUILLON_END_AT_STEP", value, 64);
        if (length == 0 || length >= 64) {
            return Ending{};
        }
        std::wstring text(value, length);
        const size_t at = text.find(L'@');
        if (at == std::wstring::npos) {
            return Ending{text};
        }
        return Ending{text.substr(0, at), std::wcstoul(text.c_str() + at + 1, nullptr, 10)};
    }();
    static std::atomic<unsigned long> reached{0};
    if (!ending.step.empty() && step == ending.step && ++reached == ending.time) {
        ::TerminateProcess(::GetCurrentProcess(), 3);
    }
}

std::vector<std::wstring> TidyTemporaryFiles(const std::wstring& folder) {
    std::vector<std::wstring> names;
    Trap(L"Module1.TidyTemporaryFiles", [&] {
        ListNormalFiles(JoinPath(folder, std::wstring(kTemporaryPrefix) + L"*"), [&](std::wstring_view name) {
            names.emplace_back(name);
            return true;
        });
    });
    std::sort(names.begin(), names.end()); // oldest first: the names carry the time they were made
    std::vector<std::wstring> binned;
    for (const std::wstring& name : names) {
        Trap(L"Module1.TidyTemporaryFiles", [&] {
            if (std::optional<std::wstring> known = TidyOne(folder, name)) {
                binned.push_back(std::move(*known));
            }
        });
    }
    return binned;
}
