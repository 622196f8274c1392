#pragma once
// The modal loops of the program (message boxes, the popup menu, the file
// dialog) all go through here, so that a test can answer them instead of a
// person. Nothing else is replaced in tests.
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

// Hooks a test installs to answer the modal loops; empty members mean the real thing.
struct Hooks {
    std::function<int(HWND owner, std::wstring_view text, std::wstring_view title, UINT flags)> showMessage;
    std::function<UINT(HMENU menu, int x, int y, HWND owner)> showPopupMenu;
    std::function<std::optional<std::wstring>(const OpenFileRequest&)> chooseFileToOpen;
};
Hooks& TestHooks();
} // namespace Ui
