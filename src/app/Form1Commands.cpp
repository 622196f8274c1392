// The main window's commands: the grid's context menu, its keyboard and the menu bar.
#include "about/frm_About.h"
#include "app/Form1.h"
#include "host/HostFolder.h"
#include "rules/AppInfo.h"
#include "rules/Trap.h"
#include "rules/resource.h"
#include "toolkit/Ui.h"
#include "xtr/EntryChanges.h"

#include <commctrl.h>

#include <optional>
#include <utility>

namespace {
BOOL CALLBACK DestroyThreadWindow(HWND window, LPARAM except) {
    if (window != reinterpret_cast<HWND>(except)) {
        ::DestroyWindow(window);
    }
    return TRUE;
}

// Takes the F5 presses and Refresh commands waiting in the window's queue off
// it; true when there were any.
bool DropQueuedRefreshes(HWND window) {
    bool dropped = false;
    MSG message;
    while (::PeekMessageW(&message, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE) &&
           message.wParam == VK_F5) {
        dropped = ::PeekMessageW(&message, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE) || dropped;
    }
    while (::PeekMessageW(&message, window, WM_COMMAND, WM_COMMAND, PM_NOREMOVE) &&
           LOWORD(message.wParam) == IDM_VIEW_REFRESH) {
        dropped = ::PeekMessageW(&message, window, WM_COMMAND, WM_COMMAND, PM_REMOVE) || dropped;
    }
    return dropped;
}
} // namespace

void Form1::OnCommand(int id, int /*code: menu or accelerator alike*/) {
    static constexpr std::pair<int, void (Form1::*)()> kCommands[] = {
        {IDM_FILE_EXIT, &Form1::mnuFileExit_Click},
        {IDM_VIEW_REFRESH, &Form1::mnuViewRefresh_Click},
        {IDM_HELP_CHECKUPDATES, &Form1::mnuHelpCheckUpdates_Click},
        {IDM_HELP_ABOUT, &Form1::mnuHelpAbout_Click},
        {IDM_POPUP1_VIEW, &Form1::mnuPopup1View_Click},
        {IDM_POPUP1_EDIT, &Form1::mnuPopup1Edit_Click},
        {IDM_POPUP1_NEW, &Form1::mnuPopup1New_Click},
        {IDM_POPUP1_DELETE, &Form1::mnuPopup1Delete_Click},
        {IDM_POPUP1_SETACTIVE, &Form1::mnuPopup1SetActive_Click},
        {IDM_POPUP1_SETINACTIVE, &Form1::mnuPopup1SetInactive_Click},
    };
    for (const auto& [command, click] : kCommands) {
        if (command == id && TakesInput()) {
            (this->*click)();
        }
    }
}

// Any press on the grid makes its current row the entry to act on; the right
// button opens the context menu for it. With no entry current (none is listed)
// the menu offers New alone: that is where a first entry starts.
void Form1::grdXTRs_MouseDown(int button, POINT screenPoint) {
    Trap(L"Form1.grdXTRs_MouseDown", [&] {
        const int row = grdXTRs_.Row();
        if (button != kRightButton) {
            return;
        }
        const bool onEntry = row != 0;
        const bool active = onEntry && catalogue_.Entry(row).active;
        const std::pair<UINT, bool> offers[] = {{IDM_POPUP1_VIEW, onEntry},
                                                {IDM_POPUP1_EDIT, onEntry},
                                                {IDM_POPUP1_DELETE, onEntry},
                                                {IDM_POPUP1_SETACTIVE, onEntry && !active},
                                                {IDM_POPUP1_SETINACTIVE, onEntry && active}};
        for (const auto& [id, enabled] : offers) {
            ::EnableMenuItem(Popup1(), id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
        }
        const UINT choice = Ui::ShowPopupMenu(Popup1(), screenPoint.x, screenPoint.y, window_);
        if (choice != 0) {
            OnCommand(static_cast<int>(choice));
        }
    });
}

// A double-click or Enter on a data row is Edit; the Delete key is Delete.
// They act on the current data row, as the menu would after a press on it;
// each command logs under its own label.
std::optional<LRESULT> Form1::OnNotify(NMHDR& header) {
    if (const std::optional<LRESULT> result = grdXTRs_.OnNotify(header)) {
        return result;
    }
    const bool onEntry =
        header.hwndFrom == grdXTRs_.Window() && grdXTRs_.Row() != 0; // row 0 is the header row
    if (onEntry &&
        (header.code == NM_RETURN ||
         (header.code == NM_DBLCLK && reinterpret_cast<const NMITEMACTIVATE&>(header).iItem >= 0))) {
        mnuPopup1Edit_Click();
    } else if (onEntry && header.code == LVN_KEYDOWN &&
               reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_DELETE) {
        mnuPopup1Delete_Click();
    }
    return std::nullopt;
}

// Loads the entry of the row (-1: a new one) into the editor, which first asks
// about what was typed in it. A save made then rescans: the entry chosen is
// found again by its folder and name.
void Form1::OpenEditor(int row, bool saving, const NewEntryBoxes& blank) {
    const std::optional<XtrRecord> chosen =
        row == -1 ? std::nullopt : std::optional<XtrRecord>(catalogue_.Entry(row));
    if (!form2_.MayLeave(chosen ? &*chosen : nullptr)) {
        return;
    }
    const std::int16_t index = chosen ? catalogue_.IndexOfFile(chosen->folder, chosen->fileName) : -1;
    if (index == 0) {
        ::DestroyWindow(form2_.Window()); // gone with the save: the rescan shows the disk
        return;
    }
    form2_.Open(index, index == -1 ? nullptr : &catalogue_.Entry(index), saving, blank);
}

// The entry can be looked at, but nothing saved: OK and browse are grey.
void Form1::mnuPopup1View_Click() {
    Trap(L"Form1.mnuPopup1View_Click", [&] { OpenEditor(grdXTRs_.Row(), false); });
}

void Form1::mnuPopup1Edit_Click() {
    Trap(L"Form1.mnuPopup1Edit_Click", [&] { OpenEditor(grdXTRs_.Row(), true); });
}

// No entry tells the dialog to start a new one.
void Form1::mnuPopup1New_Click() {
    Trap(L"Form1.mnuPopup1New_Click", [&] { OpenEditor(-1, true); });
}

// The entry is chosen now; what happens to its file is decided below the
// window. An editor open on it closes first: the user is asked before its
// changes go, and No keeps both the editor and the file.
void Form1::mnuPopup1Delete_Click() {
    Trap(L"Form1.mnuPopup1Delete_Click", [&] {
        const int row = grdXTRs_.Row();
        const XtrRecord chosen = catalogue_.Entry(row);
        // What was typed for it in the editor goes with it: the question says so.
        const bool typing = form2_.Holds(chosen) && form2_.HasTyping();
        const std::wstring question =
            L"Are you sure you want to delete " + chosen.fileName + L" ?" +
            (typing ? L"\nWhat you typed for it in the editor, and have not saved, goes with it." : L"");
        if (Ui::ShowMessage(window_, question, AppTitle, MB_YESNO | MB_DEFBUTTON1) != IDYES) {
            return;
        }
        if (form2_.Holds(chosen)) {
            ::DestroyWindow(form2_.Window());
        }
        // Deleted, its row goes to the entry that takes its place; kept, it stays on it.
        const CataloguePlace kept{chosen.folder, chosen.fileName, row};
        Rescan(DeleteEntry(window_, chosen) == ChangeEnd::Done ? CataloguePlace{L"", L"", row} : kept);
    });
}

// Set Active and Set Inactive are one operation: the menu only offers the one
// that fits the entry. An editor open on it follows the file.
void Form1::InvertActive(const wchar_t* label) {
    Trap(label, [&] {
        const int row = grdXTRs_.Row();
        const XtrRecord chosen = catalogue_.Entry(row);
        const bool inEditor = form2_.Holds(chosen);
        // A file of its name in the other folder would be replaced: an editor
        // open on that one closes first, asking before its changes go.
        XtrRecord replaced = chosen;
        replaced.active = !chosen.active;
        if (form2_.Holds(replaced) && !form2_.CloseAsking()) {
            return;
        }
        const ChangeEnd end = MoveEntry(window_, chosen);
        if (end == ChangeEnd::Declined) {
            return;
        }
        if (end == ChangeEnd::Done && inEditor) {
            form2_.FollowMove(!chosen.active);
        }
        // The user's place follows the entry into its new folder.
        Rescan(
            {end == ChangeEnd::Done ? CatalogueFolder(!chosen.active) : chosen.folder, chosen.fileName, row});
    });
}

void Form1::mnuPopup1SetActive_Click() { InvertActive(L"Form1.mnuPopup1SetActive_Click"); }

void Form1::mnuPopup1SetInactive_Click() { InvertActive(L"Form1.mnuPopup1SetInactive_Click"); }

void Form1::mnuViewRefresh_Click() {
    Trap(L"Form1.mnuViewRefresh_Click", [&] {
        // F5 held down repeats faster than a large folder is read: the presses
        // that came meanwhile make one refresh more, not one each.
        for (int round = 0; round == 0 || (round == 1 && DropQueuedRefreshes(window_)); ++round) {
            Rescan(CurrentPlace());
        }
        TellFolderGone(window_);
    });
}

void Form1::mnuHelpCheckUpdates_Click() {
    Ui::ShowMessage(window_, L"Please use the TAMBER Updater tool to check for new updates", AppTitle,
                    MB_OK | MB_ICONINFORMATION);
}

// Ends the program at once: every window closes, nothing is asked or saved.
void Form1::mnuFileExit_Click() {
    ::EnumThreadWindows(::GetCurrentThreadId(), &DestroyThreadWindow, reinterpret_cast<LPARAM>(window_));
    ::DestroyWindow(window_);
}

// Modeless and without owner: the main window stays usable while it is open.
void Form1::mnuHelpAbout_Click() { frm_About::Show(); }
