#pragma once
// What the benchmarks that drive Quillon from another process share: UI-View32's
// real registry setting pointed at a bench folder (the program started is another
// process, so a scratch key would not reach it), a program started and found by
// its window, and the questions another process can ask of its windows. Each
// question waits while the program is busy: its answer comes only once the
// program's thread takes messages again.
#include "system/Win32.h"

#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

// Thrown rather than exiting at once, so that the registry setting and the folders are put back.
struct BenchFailure {
    std::wstring what;
};
[[noreturn]] void Fail(const std::wstring& what);

double Median(std::vector<double> samples);

// A file of this build tree, named from the bench program's own folder.
std::wstring BesideBench(const wchar_t* relative);

// UI-View32's folder setting pointed at the bench's folder while it lives; the
// value it had (or its absence) comes back afterwards.
class HostSetting {
  public:
    explicit HostSetting(const std::wstring& folder);
    ~HostSetting();
    HostSetting(const HostSetting&) = delete;
    HostSetting& operator=(const HostSetting&) = delete;

  private:
    void Set(const std::wstring& value);

    UniqueKey key_;
    std::wstring createdKey_; // empty when the whole path was there
    std::optional<std::wstring> previous_;
};

// A program started and showing its full list.
struct Started {
    UniqueFile process;
    UniqueFile thread;
    DWORD threadId = 0;
    HWND window = nullptr;
    double ms = 0; // from just before CreateProcess until the list was full
};

// Starts exe and waits until a visible window of it holds a list of that many
// rows. Fails when a message box shows instead, or nothing within 10 s.
Started Start(const std::wstring& exe, int rows);
// Closes the window and waits for the program to end (ends it after 20 s).
void Close(Started& started);

// A visible top-level window of the thread of that class ("#32770": a message box), or null.
HWND VisibleWindowOf(DWORD threadId, const wchar_t* className);
// The window's text, asked as another process asks (WM_GETTEXT); fails when the program does not answer.
std::wstring TextOf(HWND window);
// Whether no visible window of the thread, nor any of their controls, waits to be painted.
bool AllPainted(DWORD threadId);

// A list view of another process of the same bitness: an item's text is
// copied into memory allocated in that process, as LVITEMW holds pointers.
class RemoteList {
  public:
    RemoteList(HWND list, HANDLE process);
    ~RemoteList();
    RemoteList(const RemoteList&) = delete;
    RemoteList& operator=(const RemoteList&) = delete;

    HWND Window() const { return list_; }
    int Count() const;
    int Focused() const; // -1: none
    std::wstring Cell(int item, int column) const;
    // Makes the item focused and selected, as a click on it does.
    void Select(int item) const;

  private:
    LRESULT Ask(UINT message, WPARAM wParam, const LVITEMW* item) const;

    HWND list_;
    HANDLE process_;
    void* remote_ = nullptr; // an LVITEMW, then the text it points to
};
