#pragma once
// Thin helpers over Win32: owned handles, system errors raised as trap errors,
// and the ANSI code page conversions that the XTR files and the log need.
#include <windows.h>

#include <string>
#include <string_view>
#include <utility>

// Raises the program's error number for a Win32 error code.
[[noreturn]] void RaiseSystemError(unsigned long code);
[[noreturn]] void RaiseLastError();

// The system's own text for a Win32 error code, without the trailing line break.
std::wstring SystemErrorText(unsigned long code);

// One move-only owner for every kind of handle; Traits give the invalid value and the close call.
template <class Traits> class UniqueHandle {
  public:
    using Type = typename Traits::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(Type handle) : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    Type get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::Invalid(); }
    Type release() { return std::exchange(handle_, Traits::Invalid()); }
    void reset(Type handle = Traits::Invalid()) {
        Type old = std::exchange(handle_, handle);
        if (old != Traits::Invalid()) {
            Traits::Close(old);
        }
    }

  private:
    Type handle_ = Traits::Invalid();
};

// A handle's traits: the value that holds nothing and the call that closes it.
template <class T, auto CloseHandleOf, T (*InvalidValue)()> struct HandleTraits {
    using Type = T;
    static Type Invalid() { return InvalidValue(); }
    static void Close(Type handle) { CloseHandleOf(handle); }
};
template <class T> T NoHandle() { return nullptr; }
inline HANDLE NoFileHandle() { return INVALID_HANDLE_VALUE; }

using UniqueFile = UniqueHandle<HandleTraits<HANDLE, ::CloseHandle, NoFileHandle>>;
using UniqueFind = UniqueHandle<HandleTraits<HANDLE, ::FindClose, NoFileHandle>>;
using UniqueKey = UniqueHandle<HandleTraits<HKEY, ::RegCloseKey, NoHandle<HKEY>>>;
using UniqueGdiObject = UniqueHandle<HandleTraits<HGDIOBJ, ::DeleteObject, NoHandle<HGDIOBJ>>>;
using UniqueMenu = UniqueHandle<HandleTraits<HMENU, ::DestroyMenu, NoHandle<HMENU>>>;
// A COM object's reference, released once.
template <class T> void ReleaseObject(T* object) { object->Release(); }
template <class T> using UniqueObject = UniqueHandle<HandleTraits<T*, ReleaseObject<T>, NoHandle<T*>>>;

// Text in the ANSI code page (the bytes of XTR files and of the log) and back.
std::string ToAnsi(std::wstring_view text);
std::wstring FromAnsi(std::string_view bytes);

// The characters of text that the ANSI code page cannot hold, each once, in
// the order they first come: ToAnsi would put a look-alike or "?" in their
// place. Empty under the UTF-8 code page, which holds them all.
std::wstring CharactersTheCodePageLacks(std::wstring_view text);

// Equal but for letter case, as the file system compares names and paths
// (ordinal, the same in every locale).
bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b);

// A file time as one number: 100 ns units since 1601.
inline unsigned long long FileTimeTicks(const FILETIME& time) {
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Something that is not a folder stands at path.
bool IsFileAt(const std::wstring& path);

// A file marked read-only stands at path (a folder is not one).
bool IsReadOnlyFile(const std::wstring& path);

// folder + "\" + name: how every path of the program is formed.
std::wstring JoinPath(std::wstring_view folder, std::wstring_view name);

// A path's last part (after its last "\" or "/") and the folder before it;
// a path without a separator is all name.
std::wstring_view FileNameOf(std::wstring_view path);
std::wstring_view FolderOf(std::wstring_view path);

// path as a full path, against the current folder when it is relative; path
// as it is when the system cannot make it one (a name it refuses).
std::wstring FullPathOf(const std::wstring& path);

// Full path of the running program's file.
std::wstring OwnModulePath();

// A function of a system DLL that only some commands need, the DLL loaded on
// first use and kept; null when it cannot be had (the thread's last error says
// why). MinGW has no delay-loading, and under Wine loading shell32 and comdlg32
// with the program cost every start-up some 25 ms.
FARPROC SystemFunctionAddress(const wchar_t* dll, const char* name);
template <class Function> Function* SystemFunction(const wchar_t* dll, const char* name) {
    // Through void (*)(), the one cast between function types the compiler takes as deliberate.
    return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(SystemFunctionAddress(dll, name)));
}
