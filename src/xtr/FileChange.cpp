#include "xtr/FileChange.h"

#include "rules/ContentHash.h"
#include "rules/ErrorTable.h"
#include "rules/Trap.h"
#include "system/FileReads.h"
#include "system/OwnFiles.h"
#include "system/RecycleBin.h"
#include "toolkit/Ui.h"

#include <algorithm>

namespace {
constexpr wchar_t kLabel[] = L"Module1.FileChange", kBinLabel[] = L"Module1.RecycleFile";

void Check(BOOL succeeded) {
    if (!succeeded) {
        RaiseLastError();
    }
}

// Why the main step failed: a file at the name, come since the command looked, is a change meanwhile.
[[noreturn]] void RaiseMainStepError() {
    const DWORD code = ::GetLastError();
    if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS) {
        Raise(Err::ChangedMeanwhile);
    }
    RaiseSystemError(code);
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
    if (!OpenToDelete(path)) {
        RaiseLastError();
    }
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

void DeleteTemporary(std::wstring path) { Logged(DeleteOwn(path), L"Module1.TemporaryFile"); }

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
    Check(::CopyFileW(LongPath(source).c_str(), LongPath(copy.get()).c_str(), FALSE));
    // Whole and on the disk before it takes the name. A copy keeps its
    // source's read-only mark (a file from a CD): the entry must stay editable.
    Logged(::SetFileAttributesW(LongPath(copy.get()).c_str(), FILE_ATTRIBUTE_NORMAL) != FALSE, kLabel);
    file.reset(::CreateFileW(LongPath(copy.get()).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
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
    const auto same = [&](const auto& file) { return EqualsIgnoringCase(file.path, path); };
    if (IsFileAt(path) && std::none_of(going_.begin(), going_.end(), same)) {
        const auto asked = std::find_if(asked_.begin(), asked_.end(), same);
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
        second = CopyToTemporary(path, path, Held::Copy).release();
    }
    StepReached(L"held");
    const std::optional<std::wstring> inBin = ToBin(path);
    if (!inBin) {
        // Refused, the file stands where it was; gone all the same (a bin that took it without saying
        // where), it comes back from its second name.
        Logged(Exists(path) ? DeleteOwn(second) : Renamed(second, path), kBinLabel);
        Raise(Err::NoRecycleBin);
    }
    // Marked at once, so that start-up deletes it as the bin's, never keeps it as the only copy.
    Trap(kBinLabel, [&] { second = RenamedToTemporary(second, path, Held::InBin); });
    moved_.push_back({second, path, true});
    done_.push_back(second);
    StepReached(L"binned");
    if (!IsExpected(going.expected, *inBin)) {
        if (Logged(TakeBackFromBin(*inBin, path), kBinLabel)) {
            moved_.pop_back();
            done_.pop_back();
            Logged(DeleteOwn(second), kBinLabel);
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
        if (temporary_) {
            if (!MainStep(temporary_.get(), target_)) {
                RaiseMainStepError();
            }
            moved_.push_back({target_, L"", false}); // undone: the new version goes
            temporary_.release();
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
        Logged(DeleteOwn(path), kLabel);
    }
    done_.clear();
}

// Everything moved goes back, last first. The new version that took a name goes (its source is a temporary,
// or the user's typing); a file in the bin comes back from its second name, and the bin keeps a copy of it.
void FileChange::Undo() noexcept {
    temporary_.reset();
    for (auto moved = moved_.rbegin(); moved != moved_.rend(); ++moved) {
        if (moved->to.empty()) {
            Logged(DeleteOwn(moved->from), kLabel);
            continue;
        }
        Logged(Renamed(moved->from, moved->to), kLabel);
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

bool MainStep(const std::wstring& from, const std::wstring& to) {
    if (const auto& hook = Ui::TestHooks().moveFile) {
        return hook(from, to);
    }
    return Renamed(from, to);
}

std::optional<std::wstring> ToBin(const std::wstring& path) {
    const auto& hook = Ui::TestHooks().recycleFile;
    return hook ? hook(path) : RecycleFile(path);
}
