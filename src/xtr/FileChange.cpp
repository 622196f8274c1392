#include "xtr/FileChange.h"

#include "host/HostFolder.h"
#include "rules/ContentHash.h"
#include "rules/ErrorTable.h"
#include "rules/Trap.h"
#include "system/OwnFiles.h"
#include "system/RecycleBin.h"
#include "toolkit/Ui.h"
#include "xtr/XtrFile.h"

#include <algorithm>
#include <array>
#include <functional>
#include <optional>

namespace {
constexpr unsigned long long kLeftoverAge = 60 * 10'000'000ULL; // a minute, as file times count (100 ns)

void Check(BOOL succeeded) {
    if (!succeeded) {
        RaiseLastError();
    }
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Never over a file: what stands at a name is someone's until a question said otherwise.
bool MoveFile(const std::wstring& from, const std::wstring& to) {
    return ::MoveFileExW(LongPath(from).c_str(), LongPath(to).c_str(), 0) != FALSE;
}

// The main step of a change, which a test may make fail.
bool MainStep(const std::wstring& from, const std::wstring& to) {
    if (const auto& hook = Ui::TestHooks().moveFile) {
        return hook(from, to);
    }
    return MoveFile(from, to);
}

// Why the main step failed: a file at the name, come since the command looked, is a change meanwhile.
[[noreturn]] void RaiseMainStepError() {
    const DWORD code = ::GetLastError();
    if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS) {
        Raise(Err::ChangedMeanwhile);
    }
    RaiseSystemError(code);
}

unsigned long LinkCount(const std::wstring& path) {
    const UniqueFile file(::CreateFileW(LongPath(path).c_str(), 0,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION information;
    return file && ::GetFileInformationByHandle(file.get(), &information) ? information.nNumberOfLinks : 0;
}

// Raises why the file at path could not go, before anything has changed: a
// read-only file is someone's on purpose; one another program holds so that it
// cannot go (UI-View32 reading it) fails the way removing it would.
void CheckCanGo(const std::wstring& path, bool readOnlyToo) {
    const DWORD attributes = ::GetFileAttributesW(LongPath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    if (!readOnlyToo && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        throw TrapError(Err::PermissionDenied, ERROR_FILE_READ_ONLY);
    }
    if (!UniqueFile(::CreateFileW(LongPath(path).c_str(), DELETE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))) {
        RaiseLastError();
    }
}

// Both files are there, read whole, with the same bytes.
bool SameBytes(const std::wstring& a, const std::wstring& b) {
    const FileNow first = ReadFileNow(LongPath(a));
    const FileNow second = ReadFileNow(LongPath(b));
    return first.state == FileNow::State::Read && second.state == FileNow::State::Read &&
           first.bytes == second.bytes;
}

// The bin, or a test's stand-in for a drive without one.
std::optional<std::wstring> ToBin(const std::wstring& path) {
    const auto& hook = Ui::TestHooks().recycleFile;
    return hook ? hook(path) : RecycleFile(path);
}

// A version of the file at path that the command holds in its hands.
FileStamp VersionOf(const std::wstring& path, std::string_view bytes) {
    return {path, FILE_ATTRIBUTE_NORMAL, 0, bytes.size(), ContentHash(bytes)};
}

// The file at `at` is the version expected (there or gone, as the command saw it; any when none is). One that
// cannot be read to tell is in use.
bool IsExpected(const std::optional<FileStamp>& expected, const std::wstring& at) {
    if (!expected) {
        return true;
    }
    const FileStamp now = StampOf(at);
    if (now.attributes != 0 && now.bytes == 0) {
        throw TrapError(Err::PermissionDenied, ERROR_SHARING_VIOLATION);
    }
    return (now.attributes != 0) == (expected->attributes != 0) && now.bytes == expected->bytes;
}

// The file at path renamed to a temporary beside target, made for target's name.
std::wstring RenamedToTemporary(const std::wstring& path, const std::wstring& target, Held held) {
    return MakeTemporary(
        target,
        [&](const std::wstring& name) {
            return ::MoveFileExW(LongPath(path).c_str(), name.c_str(), 0) != FALSE;
        },
        held);
}
} // namespace

FileStamp StampOf(const std::wstring& path) {
    FileStamp stamp{path};
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (::GetFileAttributesExW(LongPath(path).c_str(), GetFileExInfoStandard, &data)) {
        stamp.attributes = data.dwFileAttributes;
        stamp.lastWrite = FileTimeTicks(data.ftLastWriteTime);
        stamp.size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        const FileNow now = ReadFileNow(LongPath(path));
        stamp.bytes = now.state == FileNow::State::Read ? ContentHash(now.bytes) : 0;
    }
    return stamp;
}

std::vector<FileStamp> StampsOf(const std::vector<std::wstring>& paths) {
    std::vector<FileStamp> stamps(paths.size());
    std::transform(paths.begin(), paths.end(), stamps.begin(),
                   [](const std::wstring& path) { return StampOf(path); });
    return stamps;
}

TemporaryFile::~TemporaryFile() {
    if (!path_.empty()) {
        Logged(DeleteOwn(path_), L"Module1.TemporaryFile");
    }
}

TemporaryFile& TemporaryFile::operator=(TemporaryFile&& other) noexcept {
    TemporaryFile old(std::exchange(path_, std::exchange(other.path_, {})));
    return *this;
}

TemporaryFile NewTemporary(const std::wstring& target, UniqueFile& file, Held held) {
    return TemporaryFile(MakeTemporary(
        target,
        [&file](const std::wstring& path) {
            file.reset(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
            return static_cast<bool>(file);
        },
        held));
}

TemporaryFile CopyToTemporary(const std::wstring& source, const std::wstring& target, Held held) {
    // Made empty first, so that whatever a failed copy leaves is the temporary's own to delete.
    UniqueFile file;
    TemporaryFile copy = NewTemporary(target, file, held);
    file.reset();
    Check(::CopyFileW(LongPath(source).c_str(), LongPath(copy.Path()).c_str(), FALSE));
    // Whole and on the disk before it takes the name. A copy keeps its
    // source's read-only mark (a file from a CD): the entry must stay editable.
    ::SetFileAttributesW(LongPath(copy.Path()).c_str(), FILE_ATTRIBUTE_NORMAL);
    file.reset(::CreateFileW(LongPath(copy.Path()).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    Check(file && ::FlushFileBuffers(file.get()));
    StepReached(L"written");
    return copy;
}

FileChange::FileChange(const Replacing& replacing) : fate_(replacing.fate), asked_(replacing.asked) {
    for (const std::wstring& other : replacing.others) {
        Replace(other);
    }
}

void FileChange::Put(TemporaryFile temporary, std::wstring target, std::optional<std::string_view> own) {
    temporary_ = std::move(temporary);
    target_ = std::move(target);
    if (own) {
        own_ = VersionOf(target_, *own);
    }
}

void FileChange::Move(std::wstring source, std::wstring target) {
    source_ = std::move(source);
    target_ = std::move(target);
}

void FileChange::Replace(const std::wstring& path, bool readOnlyToo) {
    if (IsFileAt(path)) {
        const auto asked = std::find_if(asked_.begin(), asked_.end(), [&](const FileStamp& stamp) {
            return EqualsIgnoringCase(stamp.path, path);
        });
        going_.push_back(
            {path, true, readOnlyToo, asked != asked_.end() ? std::optional(*asked) : std::nullopt});
    }
}

void FileChange::Drop(std::wstring path, std::string_view bytes) {
    going_.push_back({path, false, false, VersionOf(path, bytes)});
}

// Renamed beside itself, to go for good once the change is done; a killed run
// leaves it for the next start to put back.
std::wstring FileChange::SetAside(const std::wstring& path) {
    const std::wstring aside = RenamedToTemporary(path, path, Held::SetAside);
    moved_.push_back({aside, path, false});
    done_.push_back(aside);
    return aside;
}

// Into the bin under its own name, a second name holding it until the change is done: a later step that
// fails puts it back from there. The bin's answer is the file itself: the version the command looked at, or
// someone else's newer one, which comes back out of the bin to be asked about.
void FileChange::Bin(const Going& going) {
    const std::wstring& path = going.path;
    std::wstring second;
    try {
        second = MakeTemporary(
            path,
            [&](const std::wstring& link) {
                return ::CreateHardLinkW(link.c_str(), LongPath(path).c_str(), nullptr) != FALSE;
            },
            Held::Copy);
    } catch (const TrapError&) {
        // No hard links here (FAT, exFAT, some shares): a copy serves.
        second = CopyToTemporary(path, path, Held::Copy).Release();
    }
    StepReached(L"held");
    const std::optional<std::wstring> inBin = ToBin(path);
    if (!inBin) {
        // Refused, the file stands where it was; gone all the same (a bin that took it without saying
        // where), it comes back from its second name.
        Logged(Exists(path) ? DeleteOwn(second) : MoveFile(second, path), L"Module1.RecycleFile");
        Raise(Err::NoRecycleBin);
    }
    // Marked at once, so that start-up deletes it as the bin's, never keeps it as the only copy.
    Trap(L"Module1.RecycleFile", [&] { second = RenamedToTemporary(second, path, Held::InBin); });
    moved_.push_back({second, path, true});
    done_.push_back(second);
    StepReached(L"binned");
    if (!IsExpected(going.expected, *inBin)) {
        if (Logged(TakeBackFromBin(*inBin, path), L"Module1.RecycleFile")) {
            moved_.pop_back();
            done_.pop_back();
            Logged(DeleteOwn(second), L"Module1.RecycleFile");
        }
        Raise(Err::ChangedMeanwhile);
    }
}

void FileChange::Commit() {
    try {
        // Every file that goes is looked at before anything changes.
        for (const Going& going : going_) {
            CheckCanGo(going.path, going.readOnlyToo);
        }
        if (!source_.empty()) {
            CheckCanGo(source_, true); // a rename keeps a read-only mark
        }
        if (own_) {
            // A read-only file is never replaced: some file systems would, others would not.
            CheckCanGo(target_, false);
        }
        for (const Going& going : going_) {
            if (!going.theirs || !Exists(going.path)) {
                continue;
            }
            if (fate_ == Fate::IntoTheBin) {
                Bin(going);
            } else if (!IsExpected(going.expected, SetAside(going.path))) {
                Raise(Err::ChangedMeanwhile); // deleted for good only as the user was shown it
            }
        }
        // The entry's own file is set aside and the new version takes its name back to back; the one set
        // aside is then compared with what the command read. Gone from under the command (another Quillon's
        // Set Inactive), it changed too.
        if (own_ && !Exists(target_)) {
            Raise(Err::ChangedMeanwhile);
        }
        const std::wstring ownAside = own_ ? SetAside(target_) : L"";
        // The main step: the new version, or the moved file, takes its name.
        if (!source_.empty()) {
            if (MainStep(source_, target_)) {
                moved_.push_back({target_, source_, false});
            } else if (::GetLastError() != ERROR_NOT_SAME_DEVICE) {
                RaiseMainStepError();
            } else {
                // Across volumes the file is copied whole, and the source set aside before the copy takes its
                // place: at no moment is it in both folders. A read-only source could not be removed.
                CheckCanGo(source_, false);
                temporary_ = CopyToTemporary(source_, target_, Held::Copy);
                SetAside(source_);
            }
        }
        if (!temporary_.Path().empty()) {
            if (!MainStep(temporary_.Path(), target_)) {
                RaiseMainStepError();
            }
            moved_.push_back({target_, L"", false}); // undone: the new version goes
            temporary_.Release();
        }
        if (own_ && !IsExpected(own_, ownAside)) {
            Raise(Err::ChangedMeanwhile);
        }
        // What the command saw in the other folder stands as it was, or is gone: an entry never ends in both
        // folders, whatever another program did meanwhile.
        for (const FileStamp& looked : asked_) {
            if (!target_.empty() && !EqualsIgnoringCase(looked.path, target_) && IsFileAt(looked.path) &&
                !IsExpected(looked, looked.path)) {
                Raise(Err::ChangedMeanwhile);
            }
        }
        StepReached(L"renamed");
        for (const Going& going : going_) {
            if (!going.theirs && !EqualsIgnoringCase(going.path, target_) && Exists(going.path) &&
                !IsExpected(going.expected, SetAside(going.path))) {
                Raise(Err::ChangedMeanwhile);
            }
        }
    } catch (const TrapError& error) {
        Undo();
        throw TrapError(error.Number(), error.SystemCode(), error.Where(), binKeptCopy_);
    } catch (...) {
        Undo();
        throw;
    }
    moved_.clear();
    for (const std::wstring& path : done_) {
        Logged(DeleteOwn(path), L"Module1.FileChange");
    }
    done_.clear();
}

// Everything moved goes back, last first. The new version that took a name goes (its source is a temporary,
// or the user's typing); a file in the bin comes back from its second name, and the bin keeps a copy of it.
void FileChange::Undo() noexcept {
    TemporaryFile unused = std::move(temporary_);
    for (auto moved = moved_.rbegin(); moved != moved_.rend(); ++moved) {
        if (moved->to.empty()) {
            Logged(DeleteOwn(moved->from), L"Module1.FileChange");
            continue;
        }
        Logged(MoveFile(moved->from, moved->to), L"Module1.FileChange");
        binKeptCopy_ = binKeptCopy_ || moved->binned;
    }
    moved_.clear();
    done_.clear();
}

void StepReached(std::wstring_view step) {
    if (const auto& hook = Ui::TestHooks().stepReached) {
        hook(step);
    }
}

void RenameLetterCase(const std::wstring& oldPath, const std::wstring& newPath) {
    const std::wstring newName(FileNameOf(newPath));
    // Some file systems refuse a rename onto the same file (exFAT through FUSE): "already exists".
    if (!MainStep(oldPath, newPath)) {
        const DWORD code = ::GetLastError();
        if (code != ERROR_ALREADY_EXISTS && code != ERROR_FILE_EXISTS) {
            RaiseSystemError(code);
        }
    }
    if (FirstNormalFile(newPath) == newName) {
        return; // spelled anew
    }
    const std::wstring between = RenamedToTemporary(oldPath, newPath, Held::NewVersion);
    StepReached(L"between");
    if (!MainStep(between, newPath)) {
        const DWORD code = ::GetLastError();
        Logged(MoveFile(between, oldPath), L"Module1.FilenameChanged");
        RaiseSystemError(code);
    }
}

namespace {
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

// The title on the file's first line (of its first 512 bytes), in quotes, for the user to know it by.
std::wstring QuotedTitle(const std::wstring& path) {
    const std::string head = ReadFileNow(LongPath(path)).bytes.substr(0, 512);
    return L"\"" + FromAnsi(std::string_view(head).substr(0, head.find_first_of("\r\n"))) + L"\"";
}

enum class LeftoverEnd { Stays, Gone, PutBack, Binned, Stuck };

// One leftover of an earlier run, older than a minute.
LeftoverEnd TidyOne(const std::wstring& folder, const std::wstring& otherFolder, const std::wstring& name) {
    const std::wstring path = JoinPath(folder, name);
    const std::optional<TemporaryNameParts> parts = ParseTemporaryName(name);
    if (!parts && !IsEarlierSaveTemporary(name)) {
        return LeftoverEnd::Stays; // not a temporary of ours
    }
    // When it was made: from its name, else from the file system.
    unsigned long long madeAt = 0;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (parts) {
        madeAt = parts->stamp;
    } else if (::GetFileAttributesExW(LongPath(path).c_str(), GetFileExInfoStandard, &data)) {
        madeAt = std::max(FileTimeTicks(data.ftCreationTime), FileTimeTicks(data.ftLastWriteTime));
    } else {
        return LeftoverEnd::Stays;
    }
    const unsigned long long now = NowTicks();
    if ((now > madeAt ? now - madeAt : madeAt - now) <= kLeftoverAge) {
        return LeftoverEnd::Stays;
    }
    const Held held = parts && parts->held ? *parts->held : Held::NewVersion;
    const std::wstring destination = parts ? parts->destination : L"";
    const std::wstring here = JoinPath(folder, destination), there = JoinPath(otherFolder, destination);
    const bool standing = !destination.empty() && (Exists(here) || Exists(there));
    if (held == Held::SetAside && !destination.empty()) {
        if (SameBytes(path, here) || SameBytes(path, there)) {
            return DeleteOwn(path) ? LeftoverEnd::Gone : LeftoverEnd::Stuck; // its twin stands
        }
        // Set aside by a change that never finished: back to its name, the
        // entry as it was before (the bin may hold a copy too).
        if (!standing && MoveFile(path, here)) {
            return LeftoverEnd::Gone;
        }
    }
    // A second name of a file in the bin, or one of a file that stands at its name (a hard link to it, or a
    // copy beside it), goes. Not marked as the bin's, with nothing standing, it may be the only copy left:
    // back under its name, the command undone, and said so.
    if (held == Held::InBin || LinkCount(path) > 1 || (held == Held::Copy && standing)) {
        return DeleteOwn(path) ? LeftoverEnd::Gone : LeftoverEnd::Stuck;
    }
    if (held == Held::Copy && !destination.empty() && MoveFile(path, here)) {
        return LeftoverEnd::PutBack;
    }
    ::SetFileAttributesW(LongPath(path).c_str(), FILE_ATTRIBUTE_NORMAL); // ours, though a copy kept a mark
    return ToBin(path) ? LeftoverEnd::Binned : LeftoverEnd::Stuck;
}

// The leftovers of one folder of the catalogue, each with the folder and the other one.
void AddLeftovers(const std::wstring& folder, const std::wstring& otherFolder,
                  std::vector<std::array<std::wstring, 3>>& leftovers) {
    Trap(L"Module1.TidyTemporaryFiles", [&] {
        ListNormalFiles(JoinPath(folder, std::wstring(kTemporaryPrefix) + L"*"), [&](std::wstring_view name) {
            leftovers.push_back({folder, otherFolder, std::wstring(name)});
            return true;
        });
    });
}
} // namespace

Tidied TidyLeftovers() {
    std::vector<std::array<std::wstring, 3>> leftovers;
    AddLeftovers(HostFolder, SavedXtrFolder(), leftovers);
    AddLeftovers(SavedXtrFolder(), HostFolder, leftovers);
    // Files set aside first, in both folders: a copy is judged by what then stands at its name. Then oldest
    // first: the names carry the time they were made.
    const auto setAside = [](const std::array<std::wstring, 3>& leftover) {
        const std::optional<TemporaryNameParts> parts = ParseTemporaryName(leftover[2]);
        return parts && parts->held == Held::SetAside;
    };
    std::stable_sort(leftovers.begin(), leftovers.end(), [&](const auto& a, const auto& b) {
        return setAside(a) != setAside(b) ? setAside(a) : a[2] < b[2];
    });
    Tidied tidied;
    for (const auto& [folder, otherFolder, name] : leftovers) {
        const std::optional<TemporaryNameParts> parts = ParseTemporaryName(name);
        const std::wstring path = JoinPath(folder, name);
        const std::wstring known =
            parts && !parts->destination.empty() ? parts->destination : QuotedTitle(path);
        const LeftoverEnd end = TidyOne(folder, otherFolder, name);
        if (end == LeftoverEnd::PutBack) {
            tidied.putBack.push_back(known);
        } else if (end == LeftoverEnd::Binned) {
            tidied.binned.push_back(known);
        } else if (end == LeftoverEnd::Stuck) {
            // Told at every start until it is gone; logged once a run, here.
            ReportError(Err::NoRecycleBin, L"Module1.TidyTemporaryFiles");
            tidied.stuck.push_back({path, known});
        }
    }
    return tidied;
}
bool DeleteLeftover(const std::wstring& path) {
    return Logged(DeleteOwn(path), L"Module1.TidyTemporaryFiles");
}
