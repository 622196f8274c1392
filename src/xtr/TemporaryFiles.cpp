#include "xtr/TemporaryFiles.h"

#include "rules/ErrorTable.h"
#include "rules/Trap.h"
#include "rules/XtrNames.h"
#include "system/RecycleBin.h"
#include "system/Win32.h"
#include "xtr/FileListing.h"

#include <algorithm>
#include <atomic>
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

void TidyOne(const std::wstring& folder, const std::wstring& name) {
    const std::wstring path = JoinPath(folder, name);
    const std::optional<TemporaryNameParts> parts = ParseTemporaryName(name);
    if (parts && parts->onTheWay) {
        if (parts->destination.empty() || !IsPlainFileName(parts->destination)) {
            return; // no name to give back: left for the user
        }
        const std::wstring destination = JoinPath(folder, parts->destination);
        if (::GetFileAttributesW(destination.c_str()) != INVALID_FILE_ATTRIBUTES) {
            return; // the name is taken: the temporary stays as it is
        }
        if (!::MoveFileExW(path.c_str(), destination.c_str(), 0)) {
            RaiseLastError();
        }
        return;
    }
    if (!parts && !IsEarlierSaveTemporary(name)) {
        return; // not a temporary of ours to delete
    }
    const std::optional<unsigned long long> madeAt = MadeAt(path, name);
    if (!madeAt) {
        return;
    }
    const unsigned long long now = NowTicks();
    const unsigned long long age = now > *madeAt ? now - *madeAt : *madeAt - now;
    if (age > kLeftoverAge && !::DeleteFileW(path.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
        RaiseLastError();
    }
}
} // namespace

std::wstring MakeTemporary(const std::wstring& folder,
                           const std::function<bool(const std::wstring& path)>& make,
                           std::optional<std::wstring_view> onTheWayTo) {
    static std::atomic<unsigned> counter{0};
    constexpr int kAttempts = 16;
    DWORD code = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const unsigned long long stamp = NowTicks();
        const unsigned long process = ::GetCurrentProcessId();
        const unsigned number = counter++;
        const std::wstring path =
            JoinPath(folder, onTheWayTo ? TemporaryNameOnTheWay(stamp, process, number, *onTheWayTo)
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
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        Raise(Err::PermissionDenied);
    }
    if (replacing == Replacing::IntoTheBin) {
        MoveToRecycleBin(target);
    }
    if (!MoveInOneStep(path_, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        RaiseLastError();
    }
    path_.clear();
}

TemporaryFile TemporaryFor(const std::wstring& target, Replacing replacing,
                           const std::function<bool(const std::wstring& path)>& make) {
    const std::wstring folder(FolderOf(target));
    if (replacing == Replacing::IntoTheBin) {
        return TemporaryFile(MakeTemporary(folder, make, FileNameOf(target)));
    }
    return TemporaryFile(MakeTemporary(folder, make));
}

void CopyIntoPlace(const std::wstring& source, const std::wstring& target, Replacing replacing) {
    TemporaryFile copy = TemporaryFor(target, replacing, [&source](const std::wstring& path) {
        return ::CopyFileW(source.c_str(), path.c_str(), TRUE) != FALSE;
    });
    copy.PutInPlace(target, replacing);
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

void TidyTemporaryFiles(const std::wstring& folder) {
    std::vector<std::wstring> names;
    Trap(L"Module1.TidyTemporaryFiles", [&] {
        ListNormalFiles(JoinPath(folder, std::wstring(kTemporaryPrefix) + L"*"), [&](std::wstring_view name) {
            names.emplace_back(name);
            return true;
        });
    });
    for (const std::wstring& name : names) {
        Trap(L"Module1.TidyTemporaryFiles", [&] { TidyOne(folder, name); });
    }
}
