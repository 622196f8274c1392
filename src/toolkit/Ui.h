#pragma once
// The modal loops of the program (message boxes, the popup menu, the file
// dialog) all go through here, so that a test can answer them instead of a
// person; so do the things a test cannot let happen or cannot have for real
// under Wine: handing an address to the shell (which would start a browser),
// what a screen reader is told, a drive without a Recycle Bin, and a rename
// that fails at the worst moment.
// Hooks is the one seam of the program.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace Ui {
// MessageBoxW: returns IDOK, IDYES, IDNO...
int ShowMessage(HWND owner, std::wstring_view text, std::wstring_view title, UINT flags);

// Shows a popup menu at screen point (x, y) and returns the chosen command id, or 0.
UINT ShowPopupMenu(HMENU menu, int x, int y, HWND owner);

struct OpenFileRequest {
    HWND owner = nullptr;
    std::wstring title;
    std::wstring filter; // "text|pattern" pairs joined by '|', as the common dialog control writes them
    std::wstring initialFolder;
    std::wstring defaultExtension;
    DWORD flags = 0;
};
// The full path the user chose, or nothing when they cancelled.
std::optional<std::wstring> ChooseFileToOpen(const OpenFileRequest& request);

// What ShellExecuteW is given: no owner, parameters nor working folder, and
// whatever starts is shown normally.
struct ShellRequest {
    std::wstring verb;
    std::wstring file;
};
// ShellExecuteW: hands a file or address to the program registered for it.
// Returns the shell's result (above 32 on success).
INT_PTR ExecuteShell(const ShellRequest& request);

// The description a screen reader reads for item `child` (1 for the first) of
// the window's client area, set through the system's Dynamic Annotation
// (MSAA); an empty text takes it away. ole32 is loaded with the first call.
// A system that does not take it is not asked again (Wine 8 answers E_NOTIMPL).
void DescribeAccessibleItem(HWND window, long child, std::wstring_view text);

// Hooks a test installs; empty members mean the real thing.
struct Hooks {
    std::function<int(HWND owner, std::wstring_view text, std::wstring_view title, UINT flags)> showMessage;
    std::function<UINT(HMENU menu, int x, int y, HWND owner)> showPopupMenu;
    std::function<std::optional<std::wstring>(const OpenFileRequest&)> chooseFileToOpen;
    std::function<INT_PTR(const ShellRequest&)> executeShell;
    std::function<void(HWND window, long child, std::wstring_view text)> describeAccessibleItem;
    // Where the bin put the file; nothing for a bin that refused it (a drive without one).
    std::function<std::optional<std::wstring>(const std::wstring& path)> recycleFile;
    // The one rename of the file steps (a new version into place, a file moved).
    std::function<bool(const std::wstring& source, const std::wstring& target)> moveFile;
    // A named step of a file change was reached (the kill loops end the process at one; the hostile
    // disks play another program there).
    std::function<void(std::wstring_view step)> stepReached;
};
Hooks& TestHooks();
} // namespace Ui
