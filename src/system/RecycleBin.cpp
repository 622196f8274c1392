#include "system/RecycleBin.h"

#include "rules/DesktopTrash.h"
#include "rules/Trap.h"
#include "system/FileReads.h"
#include "system/OwnFiles.h"

#include <shellapi.h>
#include <shobjidl.h>

#include <algorithm>

namespace {
constexpr wchar_t kLabel[] = L"Module1.RecycleFile";

// Kernel32's way from a Windows path to the Unix one: only Wine's has it.
char* (*UnixNameFunction())(const wchar_t*) {
    static const auto toUnix =
        SystemFunction<char*(const wchar_t*)>(L"kernel32.dll", "wine_get_unix_file_name");
    return toUnix;
}

// Under Wine, its desktop trash as a Windows path: $XDG_DATA_HOME/Trash, else ~/.local/share/Trash (Wine
// gives the Unix home as WINEHOMEDIR, "\??\Z:\home\user"); empty when neither is told.
const std::wstring& DesktopTrash() {
    static const std::wstring trash = []() -> std::wstring {
        wchar_t value[MAX_PATH];
        const auto toDos = SystemFunction<wchar_t*(const char*)>(L"kernel32.dll", "wine_get_dos_file_name");
        DWORD length = ::GetEnvironmentVariableW(L"XDG_DATA_HOME", value, MAX_PATH);
        if (toDos != nullptr && length > 0 && length < MAX_PATH && value[0] == L'/') {
            // The Unix names are UTF-8.
            std::string data(length * 3 + 8, '\0');
            data.resize(static_cast<size_t>(::WideCharToMultiByte(CP_UTF8, 0, value, static_cast<int>(length),
                                                                  data.data(), static_cast<int>(data.size()),
                                                                  nullptr, nullptr)));
            wchar_t* folder = toDos((data + "/Trash").c_str());
            const std::wstring path = folder != nullptr ? folder : L"";
            ::HeapFree(::GetProcessHeap(), 0, folder);
            return path;
        }
        length = ::GetEnvironmentVariableW(L"WINEHOMEDIR", value, MAX_PATH);
        const std::wstring home(value, length < MAX_PATH ? length : 0);
        return home.starts_with(L"\\??\\") ? home.substr(4) + L"\\.local\\share\\Trash" : L"";
    }();
    return trash;
}

// Writes all of bytes into a new file at path, flushed; a failure leaves nothing there.
bool WrittenNew(const std::wstring& path, const std::string& bytes) {
    UniqueFile file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    try {
        WriteWhole(std::move(file), bytes);
        return true;
    } catch (const TrapError&) {
        Logged(DeleteOwn(path), kLabel);
        ::SetLastError(ERROR_WRITE_FAULT); // not "exists": the name was Quillon's
        return false;
    }
}

// Across file systems the trash takes a flushed copy; the original is then set aside (renamed beside itself)
// and compared with it, so that what leaves its folder is what the trash holds, whatever another program
// wrote meanwhile. False, the copy gone and the original in place, when a step fails or the two differ.
bool CopiedInto(const std::wstring& path, const std::wstring& inBin) {
    const FileNow original = ReadFileNow(LongPath(path));
    if (original.state != FileNow::State::Read || !WrittenNew(inBin, original.bytes)) {
        return false;
    }
    std::wstring aside;
    const TrapResult setAside = Trap(kLabel, [&] { aside = RenamedToTemporary(path, path, Held::SetAside); });
    if (setAside && SameBytes(aside, inBin) && DeleteOwn(aside)) {
        return true;
    }
    if (setAside) {
        Logged(Renamed(aside, path), kLabel);
    }
    Logged(DeleteOwn(inBin), kLabel);
    ::SetLastError(ERROR_ACCESS_DENIED);
    return false;
}

// Into the desktop trash by its rules: the info record first, made only if new (the name of both is then
// Quillon's), naming the file's own path; then one rename into the files folder that never replaces, or
// across file systems the copy above. A name taken in either folder is given up for the next; a failure on
// the way removes the record it made and leaves the file where it was.
std::optional<std::wstring> IntoDesktopTrash(const std::wstring& path) {
    const std::wstring& trash = DesktopTrash();
    char* unixName = trash.empty() ? nullptr : UnixNameFunction()(LongPath(path).c_str());
    if (unixName == nullptr) {
        return std::nullopt;
    }
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    const std::string record =
        TrashInfoRecord(unixName, {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond});
    ::HeapFree(::GetProcessHeap(), 0, unixName);
    const std::wstring files = trash + L"\\files", info = trash + L"\\info";
    for (const std::wstring& folder : {trash, files, info}) {
        // There already, or made; else the steps below fail.
        Logged(::CreateDirectoryW(folder.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS,
               kLabel);
    }
    for (unsigned attempt = 1; attempt <= 100; ++attempt) {
        const std::wstring name = TrashName(FileNameOf(path), attempt);
        const std::wstring recordPath = JoinPath(info, name + L".trashinfo"), inBin = JoinPath(files, name);
        if (!WrittenNew(recordPath, record)) {
            if (::GetLastError() == ERROR_FILE_EXISTS) {
                continue;
            }
            return std::nullopt;
        }
        if (Renamed(path, inBin) || (::GetLastError() == ERROR_NOT_SAME_DEVICE && CopiedInto(path, inBin))) {
            return inBin;
        }
        const DWORD code = ::GetLastError();
        Logged(DeleteOwn(recordPath), kLabel);
        if (code != ERROR_ALREADY_EXISTS && code != ERROR_FILE_EXISTS) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// Told by the shell of each delete: one that would not recycle (a drive without a bin, a file too large for
// it) is declined, so that the shell never deletes for good; the item that reached the bin is kept.
class DeleteSink final : public IFileOperationProgressSink {
  public:
    std::wstring inBin;

    STDMETHOD(QueryInterface)(REFIID id, void** object) override {
        *object = IsEqualIID(id, __uuidof(IFileOperationProgressSink)) || IsEqualIID(id, __uuidof(IUnknown))
                      ? this
                      : nullptr;
        return *object != nullptr ? S_OK : E_NOINTERFACE;
    }
    STDMETHOD_(ULONG, AddRef)() override { return 2; } // on the stack: outlives the operation
    STDMETHOD_(ULONG, Release)() override { return 1; }
    STDMETHOD(PreDeleteItem)(DWORD flags, IShellItem*) override {
        return (flags & TSF_DELETE_RECYCLE_IF_POSSIBLE) != 0 ? S_OK : HRESULT_FROM_WIN32(ERROR_CANCELLED);
    }
    STDMETHOD(PostDeleteItem)(DWORD, IShellItem*, HRESULT deleted, IShellItem* created) override {
        static const auto free = SystemFunction<decltype(::CoTaskMemFree)>(L"ole32.dll", "CoTaskMemFree");
        wchar_t* name = nullptr;
        if (SUCCEEDED(deleted) && created != nullptr && free != nullptr &&
            SUCCEEDED(created->GetDisplayName(SIGDN_FILESYSPATH, &name))) {
            inBin = name;
            free(name);
        }
        return S_OK;
    }
    STDMETHOD(StartOperations)() override { return S_OK; }
    STDMETHOD(FinishOperations)(HRESULT) override { return S_OK; }
    STDMETHOD(PreRenameItem)(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
    STDMETHOD(PostRenameItem)(DWORD, IShellItem*, LPCWSTR, HRESULT, IShellItem*) override { return S_OK; }
    STDMETHOD(PreMoveItem)(DWORD, IShellItem*, IShellItem*, LPCWSTR) override { return S_OK; }
    STDMETHOD(PostMoveItem)(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT, IShellItem*) override {
        return S_OK;
    }
    STDMETHOD(PreCopyItem)(DWORD, IShellItem*, IShellItem*, LPCWSTR) override { return S_OK; }
    STDMETHOD(PostCopyItem)(DWORD, IShellItem*, IShellItem*, LPCWSTR, HRESULT, IShellItem*) override {
        return S_OK;
    }
    STDMETHOD(PreNewItem)(DWORD, IShellItem*, LPCWSTR) override { return S_OK; }
    STDMETHOD(PostNewItem)(DWORD, IShellItem*, LPCWSTR, LPCWSTR, DWORD, HRESULT, IShellItem*) override {
        return S_OK;
    }
    STDMETHOD(UpdateProgress)(UINT, UINT) override { return S_OK; }
    STDMETHOD(ResetTimer)() override { return S_OK; }
    STDMETHOD(PauseTimer)() override { return S_OK; }
    STDMETHOD(ResumeTimer)() override { return S_OK; }
};

// The shell's bin (Windows 7 and later).
std::optional<std::wstring> ThroughTheShell(const std::wstring& path) {
    const auto initialize = SystemFunction<decltype(::CoInitializeEx)>(L"ole32.dll", "CoInitializeEx");
    const auto create = SystemFunction<decltype(::CoCreateInstance)>(L"ole32.dll", "CoCreateInstance");
    const auto itemOf = SystemFunction<decltype(::SHCreateItemFromParsingName)>(
        L"shell32.dll", "SHCreateItemFromParsingName");
    if (initialize == nullptr || create == nullptr || itemOf == nullptr) {
        return std::nullopt;
    }
    // The program's one thread: already, or now; another mode serves as well.
    const HRESULT started = initialize(nullptr, COINIT_APARTMENTTHREADED);
    DeleteSink sink; // made before the operation, which it outlives
    void* made = nullptr;
    if ((FAILED(started) && started != RPC_E_CHANGED_MODE) ||
        FAILED(create(__uuidof(FileOperation), nullptr, CLSCTX_ALL, __uuidof(IFileOperation), &made))) {
        return std::nullopt;
    }
    const UniqueObject<IFileOperation> operation(static_cast<IFileOperation*>(made));
    void* found = nullptr;
    const HRESULT itemMade = itemOf(path.c_str(), nullptr, __uuidof(IShellItem), &found);
    const UniqueObject<IShellItem> item(static_cast<IShellItem*>(found));
    // The user has answered Quillon's own question already: the shell asks nothing more.
    const bool done =
        SUCCEEDED(itemMade) &&
        SUCCEEDED(operation.get()->SetOperationFlags(FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI |
                                                     FOFX_RECYCLEONDELETE | FOF_ALLOWUNDO)) &&
        SUCCEEDED(operation.get()->DeleteItem(item.get(), &sink)) &&
        SUCCEEDED(operation.get()->PerformOperations());
    return done && !sink.inBin.empty() ? std::optional(sink.inBin) : std::nullopt;
}
} // namespace

std::optional<std::wstring> RecycleFile(const std::wstring& path) {
    return UnixNameFunction() != nullptr ? IntoDesktopTrash(path) : ThroughTheShell(path);
}

bool TakeBackFromBin(const std::wstring& inBin, const std::wstring& path) {
    // The trash may lie on another disk.
    if (!::MoveFileExW(inBin.c_str(), LongPath(path).c_str(), MOVEFILE_COPY_ALLOWED)) {
        return false;
    }
    // Its record: the desktop trash's info/<name>.trashinfo; Windows keeps $I<key> beside $R<key>.
    const std::wstring name(FileNameOf(inBin));
    const std::wstring record =
        UnixNameFunction() != nullptr
            ? JoinPath(FolderOf(FolderOf(inBin)), L"info\\" + name + L".trashinfo")
            : JoinPath(FolderOf(inBin), L"$I" + name.substr(std::min<size_t>(2, name.size())));
    Logged(DeleteOwn(record), kLabel);
    return true;
}
