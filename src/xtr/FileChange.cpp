#include "xtr/FileChange.h"

#include "host/HostFolder.h"
#include "rules/ErrorTable.h"
#include "rules/Trap.h"
#include "toolkit/Ui.h"
#include "xtr/XtrFile.h"

#include <shellapi.h>
#include <shobjidl.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <optional>
#include <set>

namespace {
constexpr unsigned long long kLeftoverAge = 60 * 10'000'000ULL; // a minute, as file times count (100 ns)

unsigned long long NowTicks() {
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    return FileTimeTicks(now);
}

// A path too long for the plain file steps takes their \\?\ form: a temporary's name is longer than the
// entry's, and must not fail where the entry's path fits.
std::wstring Long(const std::wstring& path) {
    if (path.size() < MAX_PATH - 1) {
        return path;
    }
    const std::wstring full = FullPathOf(path); // no "." or doubled "\\" is left for the \\?\ form
    if (full.size() > 2 && full[1] == L':' && full[2] == L'\\') {
        return L"\\\\?\\" + full;
    }
    if (full.starts_with(L"\\\\") && !full.starts_with(L"\\\\?\\") && !full.starts_with(L"\\\\.\\")) {
        return L"\\\\?\\UNC\\" + full.substr(2);
    }
    return full;
}

void Check(BOOL succeeded) {
    if (!succeeded) {
        RaiseLastError();
    }
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(Long(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MoveFile(const std::wstring& from, const std::wstring& to, DWORD flags = 0) {
    return ::MoveFileExW(Long(from).c_str(), Long(to).c_str(), flags) != FALSE;
}

// The main step of a change, which a test may make fail.
bool MainStep(const std::wstring& from, const std::wstring& to, DWORD flags = 0) {
    if (const auto& hook = Ui::TestHooks().moveFile) {
        return hook(from, to);
    }
    return MoveFile(from, to, flags);
}

// Deletes a file of Quillon's own (a temporary, a second name, a file set
// aside): a read-only mark does not keep it. Some file systems (a read-only
// mount under Wine) report success and keep the file: it is looked for again.
bool DeleteOwn(const std::wstring& path) {
    ::SetFileAttributesW(Long(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!::DeleteFileW(Long(path).c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
        return false;
    }
    if (Exists(path)) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return true;
}

// A recovery step that fails is the one nobody can debug later: it is logged.
bool Logged(bool succeeded, const wchar_t* step) {
    if (!succeeded) {
        ReportError(ToErrorNumber16(ErrorNumberFromSystemCode(::GetLastError())), step);
    }
    return succeeded;
}

unsigned long LinkCount(const std::wstring& path) {
    const UniqueFile file(::CreateFileW(Long(path).c_str(), 0,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION information;
    return file && ::GetFileInformationByHandle(file.get(), &information) ? information.nNumberOfLinks : 0;
}

// Raises why the file at path could not go, before anything has changed: a
// read-only file is someone's on purpose; one another program holds so that it
// cannot go (UI-View32 reading it) fails the way removing it would.
void CheckCanGo(const std::wstring& path, bool readOnlyToo) {
    const DWORD attributes = ::GetFileAttributesW(Long(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    if (!readOnlyToo && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        throw TrapError(Err::PermissionDenied, ERROR_FILE_READ_ONLY);
    }
    if (!UniqueFile(::CreateFileW(Long(path).c_str(), DELETE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))) {
        RaiseLastError();
    }
}

// Both files are there, read whole, with the same bytes.
bool SameBytes(const std::wstring& a, const std::wstring& b) {
    const FileNow first = ReadFileNow(Long(a));
    const FileNow second = ReadFileNow(Long(b));
    return first.state == FileNow::State::Read && second.state == FileNow::State::Read &&
           first.bytes == second.bytes;
}

// Receives the shell's answer for each file it deleted: in the bin, or not.
class DeleteSink final : public IFileOperationProgressSink {
  public:
    HRESULT result = E_FAIL;
    bool called = false, binned = false;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        *object = IsEqualIID(id, __uuidof(IFileOperationProgressSink)) || IsEqualIID(id, __uuidof(IUnknown))
                      ? this
                      : nullptr;
        return *object != nullptr ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; } // on the stack: outlives the operation
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE PostDeleteItem(DWORD, IShellItem*, HRESULT deleted,
                                             IShellItem* inBin) override {
        called = true;
        result = deleted;
        binned = inBin != nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE StartOperations() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE FinishOperations(HRESULT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PreRenameItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostRenameItem(DWORD, IShellItem*, LPCWSTR, HRESULT, IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PreMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostMoveItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT,
                                           IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PreCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostCopyItem(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT,
                                           IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE PreDeleteItem(DWORD, IShellItem*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PreNewItem(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PostNewItem(DWORD, IShellItem*, LPCWSTR, LPCWSTR, DWORD, HRESULT,
                                          IShellItem*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE UpdateProgress(UINT, UINT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResetTimer() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE PauseTimer() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResumeTimer() override { return S_OK; }
};

// The shell's own answer (Windows Vista and later); nothing where the shell
// gives none (Wine: "not implemented").
std::optional<Ui::BinAnswer> RecycleThroughFileOperation(const std::wstring& path) {
    const auto initialize = SystemFunction<decltype(::CoInitializeEx)>(L"ole32.dll", "CoInitializeEx");
    const auto create = SystemFunction<decltype(::CoCreateInstance)>(L"ole32.dll", "CoCreateInstance");
    const auto itemOf = SystemFunction<decltype(::SHCreateItemFromParsingName)>(
        L"shell32.dll", "SHCreateItemFromParsingName");
    if (initialize == nullptr || create == nullptr || itemOf == nullptr) {
        return std::nullopt;
    }
    initialize(nullptr, COINIT_APARTMENTTHREADED); // the program's one thread: already, or now
    IFileOperation* operation = nullptr;
    if (FAILED(create(__uuidof(FileOperation), nullptr, CLSCTX_ALL, __uuidof(IFileOperation),
                      reinterpret_cast<void**>(&operation)))) {
        return std::nullopt;
    }
    IShellItem* item = nullptr;
    DeleteSink sink;
    HRESULT done = itemOf(path.c_str(), nullptr, __uuidof(IShellItem), reinterpret_cast<void**>(&item));
    if (SUCCEEDED(done)) {
        done = operation->SetOperationFlags(FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI |
                                            FOFX_RECYCLEONDELETE | FOF_ALLOWUNDO);
    }
    if (SUCCEEDED(done)) {
        done = operation->DeleteItem(item, &sink);
    }
    if (SUCCEEDED(done)) {
        done = operation->PerformOperations();
    }
    if (item != nullptr) {
        item->Release();
    }
    operation->Release();
    if (done == E_NOTIMPL) {
        return std::nullopt;
    }
    if (!sink.called && Exists(path)) {
        return std::nullopt; // a shell that did nothing: the older call is tried
    }
    if (FAILED(done) || FAILED(sink.result) || Exists(path)) {
        return Ui::BinAnswer::Refused;
    }
    return sink.binned ? Ui::BinAnswer::Binned : Ui::BinAnswer::DeletedForGood;
}

// Under Wine: the names in its desktop trash's info folder
// ($XDG_DATA_HOME/Trash/info, else ~/.local/share/Trash/info); nothing elsewhere.
std::optional<std::set<std::wstring>> WineTrashNames() {
    static const std::wstring info = []() -> std::wstring {
        const auto toDos = SystemFunction<wchar_t*(const char*)>(L"kernel32.dll", "wine_get_dos_file_name");
        char value[1024];
        std::string data;
        if (DWORD length = ::GetEnvironmentVariableA("XDG_DATA_HOME", value, sizeof(value));
            length > 0 && length < sizeof(value)) {
            data = value;
        } else if (length = ::GetEnvironmentVariableA("HOME", value, sizeof(value));
                   length > 0 && length < sizeof(value)) {
            data = std::string(value) + "/.local/share";
        }
        wchar_t* folder = toDos != nullptr && !data.empty() ? toDos((data + "/Trash/info").c_str()) : nullptr;
        std::wstring path = folder != nullptr ? folder : L"";
        if (folder != nullptr) {
            ::HeapFree(::GetProcessHeap(), 0, folder);
        }
        return path;
    }();
    if (info.empty()) {
        return std::nullopt;
    }
    std::set<std::wstring> names;
    Trap(L"Module1.RecycleFile", [&] {
        ListNormalFiles(info + L"\\", [&names](std::wstring_view name) {
            names.emplace(name);
            return true;
        });
    });
    return names;
}

FileStamp StampOf(const std::wstring& path) {
    FileStamp stamp{path};
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (::GetFileAttributesExW(Long(path).c_str(), GetFileExInfoStandard, &data)) {
        stamp.attributes = data.dwFileAttributes;
        stamp.lastWrite = FileTimeTicks(data.ftLastWriteTime);
        stamp.size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    return stamp;
}
} // namespace

Ui::BinAnswer RecycleFile(const std::wstring& path) {
    if (const auto& hook = Ui::TestHooks().recycleFile) {
        return hook(path);
    }
    if (const std::optional<Ui::BinAnswer> answer = RecycleThroughFileOperation(path)) {
        return *answer;
    }
    // Where the shell gives no answer (Wine), the older call.
    const auto fileOperation =
        SystemFunction<decltype(::SHFileOperationW)>(L"shell32.dll", "SHFileOperationW");
    if (fileOperation == nullptr) {
        return Ui::BinAnswer::Refused;
    }
    const std::optional<std::set<std::wstring>> before = WineTrashNames();
    // The shell takes a list of paths, each ended by a NUL, the list by one more.
    std::wstring from = path;
    from.push_back(L'\0');
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    // The user has answered Quillon's own question already: the shell asks nothing more.
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    if (fileOperation(&operation) != 0 || operation.fAnyOperationsAborted || Exists(path)) {
        return Ui::BinAnswer::Refused;
    }
    // Wine's shell deletes for good, without a word, what its trash cannot take.
    if (before) {
        const std::optional<std::set<std::wstring>> after = WineTrashNames();
        return after && after->size() > before->size() ? Ui::BinAnswer::Binned
                                                       : Ui::BinAnswer::DeletedForGood;
    }
    return Ui::BinAnswer::Binned;
}

std::vector<FileStamp> StampsOf(const std::vector<std::wstring>& paths) {
    std::vector<FileStamp> stamps(paths.size());
    std::transform(paths.begin(), paths.end(), stamps.begin(), StampOf);
    return stamps;
}

namespace {
// Makes a temporary file beside target through make(path), which creates the file at path and returns false,
// with the thread's last error set, when it could not. A name that is taken (a second Quillon, a leftover) is
// given up for a fresh one. The name carries target's name, the file it is made for, and what it holds.
// Returns the path made; raises the error of any other failure (a folder that refuses: Err::FolderRefused).
std::wstring MakeTemporary(const std::wstring& target,
                           const std::function<bool(const std::wstring& path)>& make, Held held) {
    static std::atomic<unsigned> counter{0};
    const std::wstring folder(FolderOf(target));
    constexpr int kAttempts = 16;
    DWORD code = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const std::wstring path =
            JoinPath(folder, TemporaryNameOnTheWay(NowTicks(), ::GetCurrentProcessId(), counter++,
                                                   FileNameOf(target), held));
        if (make(Long(path))) {
            return path;
        }
        code = ::GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    // A new file refused in a folder: the folder does not let Quillon write.
    if (code == ERROR_ACCESS_DENIED || code == ERROR_WRITE_PROTECT) {
        throw TrapError(Err::FolderRefused, code, folder);
    }
    RaiseSystemError(code);
}

// The file at path renamed to a temporary beside target, made for target's name.
std::wstring RenamedToTemporary(const std::wstring& path, const std::wstring& target, Held held) {
    return MakeTemporary(
        target,
        [&](const std::wstring& name) { return ::MoveFileExW(Long(path).c_str(), name.c_str(), 0) != FALSE; },
        held);
}
} // namespace

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
    Check(::CopyFileW(Long(source).c_str(), Long(copy.Path()).c_str(), FALSE));
    // Whole and on the disk before it takes the name. A copy keeps its
    // source's read-only mark (a file from a CD): the entry must stay editable.
    ::SetFileAttributesW(Long(copy.Path()).c_str(), FILE_ATTRIBUTE_NORMAL);
    file.reset(::CreateFileW(Long(copy.Path()).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
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

void FileChange::Put(TemporaryFile temporary, std::wstring target, bool overOwn) {
    temporary_ = std::move(temporary);
    target_ = std::move(target);
    overOwn_ = overOwn;
}

void FileChange::Move(std::wstring source, std::wstring target) {
    source_ = std::move(source);
    target_ = std::move(target);
}

void FileChange::Replace(const std::wstring& path, bool readOnlyToo) {
    if (IsFileAt(path)) {
        going_.push_back({path, true, readOnlyToo});
    }
}

// Renamed beside itself, to go for good once the change is done; a killed run
// leaves it for the next start to put back.
void FileChange::SetAside(const std::wstring& path) {
    const std::wstring aside = RenamedToTemporary(path, path, Held::SetAside);
    moved_.push_back({aside, path, false});
    done_.push_back(aside);
}

// Into the bin under its own name, a second name holding it until the change is done: a bin that deleted it
// for good, or a later step that fails, puts it back from there.
void FileChange::Bin(const std::wstring& path) {
    std::wstring second;
    try {
        second = MakeTemporary(
            path,
            [&](const std::wstring& link) {
                return ::CreateHardLinkW(link.c_str(), Long(path).c_str(), nullptr) != FALSE;
            },
            Held::Copy);
    } catch (const TrapError&) {
        // No hard links here (FAT, exFAT, some shares): a copy serves.
        second = CopyToTemporary(path, path, Held::Copy).Release();
    }
    const Ui::BinAnswer answer = RecycleFile(path);
    if (answer == Ui::BinAnswer::Binned) {
        moved_.push_back({second, path, true});
        done_.push_back(second);
        StepReached(L"binned");
        return;
    }
    // Deleted for good, it comes back from its second name; refused, it stands, and the second name goes.
    Logged(answer == Ui::BinAnswer::DeletedForGood ? MoveFile(second, path) : DeleteOwn(second),
           L"Module1.RecycleFile");
    Raise(Err::NoRecycleBin);
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
        if (overOwn_) {
            // A one-step replace succeeds over a read-only file on some file
            // systems and fails on others: a read-only file is never replaced.
            CheckCanGo(target_, false);
        }
        for (const Going& going : going_) {
            if (!going.theirs || !Exists(going.path)) {
                continue;
            }
            if (fate_ == Fate::IntoTheBin) {
                Bin(going.path);
                continue;
            }
            SetAside(going.path);
            // Deleted for good only as the user was shown it.
            FileStamp now = StampOf(moved_.back().from);
            now.path = going.path;
            if (std::find(asked_.begin(), asked_.end(), now) == asked_.end()) {
                Raise(Err::ChangedMeanwhile);
            }
        }
        // The main step: the new version, or the moved file, takes its name.
        if (!source_.empty()) {
            if (MainStep(source_, target_)) {
                moved_.push_back({target_, source_, false});
            } else if (::GetLastError() != ERROR_NOT_SAME_DEVICE) {
                RaiseLastError();
            } else {
                // Across volumes the file is copied whole, and the source set aside before the copy takes its
                // place: at no moment is it in both folders. A read-only source could not be removed.
                CheckCanGo(source_, false);
                temporary_ = CopyToTemporary(source_, target_, Held::Copy);
                SetAside(source_);
            }
        }
        if (!temporary_.Path().empty()) {
            const DWORD flags = overOwn_ ? MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH : 0;
            Check(MainStep(temporary_.Path(), target_, flags));
            moved_.push_back({target_, L"", false}); // undone: the new version goes
            temporary_.Release();
        }
        StepReached(L"renamed");
        for (const Going& going : going_) {
            if (!going.theirs && !EqualsIgnoringCase(going.path, target_) && !DeleteOwn(going.path)) {
                RaiseLastError();
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
    const std::string head = ReadFileNow(Long(path)).bytes.substr(0, 512);
    return L"\"" + FromAnsi(std::string_view(head).substr(0, head.find_first_of("\r\n"))) + L"\"";
}

enum class LeftoverEnd { Stays, Gone, Binned, Stuck };

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
    } else if (::GetFileAttributesExW(Long(path).c_str(), GetFileExInfoStandard, &data)) {
        madeAt = std::max(FileTimeTicks(data.ftCreationTime), FileTimeTicks(data.ftLastWriteTime));
    } else {
        return LeftoverEnd::Stays;
    }
    const unsigned long long now = NowTicks();
    if ((now > madeAt ? now - madeAt : madeAt - now) <= kLeftoverAge) {
        return LeftoverEnd::Stays;
    }
    const Held held = parts && parts->held ? *parts->held : Held::NewVersion;
    if (held == Held::SetAside && !parts->destination.empty()) {
        const std::wstring here = JoinPath(folder, parts->destination);
        const std::wstring there = JoinPath(otherFolder, parts->destination);
        if (SameBytes(path, here) || SameBytes(path, there)) {
            return DeleteOwn(path) ? LeftoverEnd::Gone : LeftoverEnd::Stuck; // its twin stands
        }
        // Set aside by a change that never finished: back to its name, the
        // entry as it was before (the bin may hold a copy too).
        if (!Exists(here) && !Exists(there) && MoveFile(path, here)) {
            return LeftoverEnd::Gone;
        }
    }
    // A copy, or a second name of a file that stands elsewhere (in the bin).
    if (held == Held::Copy || LinkCount(path) > 1) {
        return DeleteOwn(path) ? LeftoverEnd::Gone : LeftoverEnd::Stuck;
    }
    ::SetFileAttributesW(Long(path).c_str(), FILE_ATTRIBUTE_NORMAL); // ours, though a copy kept a mark
    return RecycleFile(path) == Ui::BinAnswer::Binned ? LeftoverEnd::Binned : LeftoverEnd::Stuck;
}

void TidyFolder(const std::wstring& folder, const std::wstring& otherFolder, Tidied& tidied) {
    std::vector<std::wstring> names;
    Trap(L"Module1.TidyTemporaryFiles", [&] {
        ListNormalFiles(JoinPath(folder, std::wstring(kTemporaryPrefix) + L"*"), [&](std::wstring_view name) {
            names.emplace_back(name);
            return true;
        });
    });
    std::sort(names.begin(), names.end()); // oldest first: the names carry the time they were made
    for (const std::wstring& name : names) {
        const std::optional<TemporaryNameParts> parts = ParseTemporaryName(name);
        const std::wstring path = JoinPath(folder, name);
        const std::wstring known =
            parts && !parts->destination.empty() ? parts->destination : QuotedTitle(path);
        const LeftoverEnd end = TidyOne(folder, otherFolder, name);
        if (end == LeftoverEnd::Binned) {
            tidied.binned.push_back(known);
        } else if (end == LeftoverEnd::Stuck) {
            // Told at every start until it is gone; logged once a run, here.
            ReportError(Err::NoRecycleBin, L"Module1.TidyTemporaryFiles");
            tidied.stuck.push_back({path, known});
        }
    }
}
} // namespace

Tidied TidyLeftovers() {
    Tidied tidied;
    TidyFolder(HostFolder, SavedXtrFolder(), tidied);
    TidyFolder(SavedXtrFolder(), HostFolder, tidied);
    return tidied;
}

bool DeleteLeftover(const std::wstring& path) {
    return Logged(DeleteOwn(path), L"Module1.TidyTemporaryFiles");
}
