#include "xtr/Leftovers.h"

#include "rules/ErrorTable.h"
#include "rules/Trap.h"
#include "system/FileReads.h"
#include "system/OwnFiles.h"
#include "xtr/FileChange.h"

#include <algorithm>
#include <array>
#include <optional>

namespace {
constexpr wchar_t kTidyLabel[] = L"Module1.TidyTemporaryFiles";
constexpr unsigned long long kLeftoverAge = 60 * 10'000'000ULL; // a minute, as file times count (100 ns)

unsigned long LinkCount(const std::wstring& path) {
    const UniqueFile file(::CreateFileW(LongPath(path).c_str(), 0,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION information;
    return file && ::GetFileInformationByHandle(file.get(), &information) ? information.nNumberOfLinks : 0;
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
        if (!standing && Renamed(path, here)) {
            return LeftoverEnd::Gone;
        }
    }
    // A second name of a file in the bin, or one of a file that stands at its name (a hard link to it, or a
    // copy beside it), goes. Not marked as the bin's, with nothing standing, it may be the only copy left:
    // back under its name, the command undone, and said so.
    if (held == Held::InBin || LinkCount(path) > 1 || (held == Held::Copy && standing)) {
        return DeleteOwn(path) ? LeftoverEnd::Gone : LeftoverEnd::Stuck;
    }
    if (held == Held::Copy && !destination.empty() && Renamed(path, here)) {
        return LeftoverEnd::PutBack;
    }
    // Ours, though a copy kept a mark.
    Logged(::SetFileAttributesW(LongPath(path).c_str(), FILE_ATTRIBUTE_NORMAL) != FALSE, kTidyLabel);
    return ToBin(path) ? LeftoverEnd::Binned : LeftoverEnd::Stuck;
}

// The leftovers of one folder of the catalogue, each with the folder and the other one.
void AddLeftovers(const std::wstring& folder, const std::wstring& otherFolder,
                  std::vector<std::array<std::wstring, 3>>& leftovers) {
    Trap(kTidyLabel, [&] {
        ListNormalFiles(JoinPath(folder, std::wstring(kTemporaryPrefix) + L"*"), [&](std::wstring_view name) {
            leftovers.push_back({folder, otherFolder, std::wstring(name)});
            return true;
        });
    });
}
} // namespace

Tidied TidyLeftovers(const std::wstring& host, const std::wstring& saved) {
    std::vector<std::array<std::wstring, 3>> leftovers;
    AddLeftovers(host, saved, leftovers);
    AddLeftovers(saved, host, leftovers);
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
            ReportError(Err::NoRecycleBin, kTidyLabel);
            tidied.stuck.push_back({path, known});
        }
    }
    return tidied;
}

bool DeleteLeftover(const std::wstring& path) { return Logged(DeleteOwn(path), kTidyLabel); }
