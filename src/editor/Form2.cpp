#include "editor/Form2.h"

#include "host/HostFolder.h"
#include "rules/AppInfo.h"
#include "rules/EditorInput.h"
#include "rules/Trap.h"
#include "rules/XtrFormat.h"
#include "rules/resource.h"
#include "system/Win32.h"
#include "toolkit/Ui.h"
#include "xtr/EntryChanges.h"
#include "xtr/Catalogue.h"

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include <initializer_list>

namespace {
// The layout in twips: client area, the labels' and the boxes' left edges, one row per line.
constexpr int kClientWidth = 8400;
constexpr int kClientHeight = 3600;
constexpr int kLabelLeft = 120;
constexpr int kLabelWidth = 1095;
constexpr int kBoxLeft = 1320;
constexpr int kBoxHeight = 315;
constexpr int kRightEdge = 8280;
constexpr int kButtonWidth = 1080;
constexpr int kButtonHeight = 375;

std::wstring WindowText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

// The text of the combo box's selected entry; empty when none is selected.
std::wstring SelectedText(HWND combo) {
    const int selected = ComboBox_GetCurSel(combo);
    if (selected == CB_ERR) {
        return {};
    }
    const int length = ComboBox_GetLBTextLen(combo, selected);
    if (length == CB_ERR) {
        return {};
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    ComboBox_GetLBText(combo, selected, text.data());
    text.resize(static_cast<size_t>(length));
    return text;
}

void SetText(HWND window, const std::wstring& text) { ::SetWindowTextW(window, text.c_str()); }
} // namespace

void Form2::BoxText::Show(HWND box, const std::wstring& text) {
    SetText(box, text);
    meant_ = text;
    shown_ = WindowText(box);
}

std::wstring Form2::BoxText::Text(HWND box) const {
    std::wstring text = WindowText(box);
    return text == shown_ ? meant_ : text;
}

bool Form2::Open(std::int16_t index, const XtrRecord* entry, bool saving, const NewEntryBoxes& blank) {
    const bool changed = IsLoaded() && BoxesNow() != loaded_;
    // Chosen again with changes, the entry keeps them: nothing would be dropped.
    const bool chosenAgain = entry != nullptr && Holds(*entry);
    if (!changed || !chosenAgain) {
        blank_ = blank;
        CurrentIndex = entry != nullptr ? index : -1;
        OldRecord = entry != nullptr ? *entry : XtrRecord{}; // a new one is read from no file
        if (IsLoaded()) {
            Form_Load();
        } else {
            Load();
        }
    }
    if (!IsLoaded()) {
        return false;
    }
    ::EnableWindow(cmdOK(), saving);
    ::EnableWindow(cmdBrowse(), saving);
    Show();
    return true;
}

bool Form2::Holds(const XtrRecord& entry) const {
    return IsLoaded() && CurrentIndex != -1 && entry.active == OldRecord.active &&
           EqualsIgnoringCase(entry.fileName, OldRecord.fileName);
}

void Form2::FollowMove(bool active) {
    OldRecord.active = active;
    OldRecord.folder = CatalogueFolder(active);
    // Of two choices, one the user made in the Active box is the one the move made.
    ComboBox_SetCurSel(cmbActive(), active ? 0 : 1);
    loaded_.back() = SelectedText(cmbActive());
}

bool Form2::CloseAsking() {
    if (!MayLeave(nullptr)) {
        return false;
    }
    if (IsLoaded()) {
        ::DestroyWindow(window_);
    }
    return true;
}

bool Form2::HasTyping() const { return IsLoaded() && ::IsWindowEnabled(cmdOK()) && BoxesNow() != loaded_; }

// Asked as Windows programs ask it, about what the boxes show: they are in
// sight while it waits. Yes saves as OK would (the main window rescans), No
// drops the typing, Cancel keeps everything as it is.
bool Form2::MayLeave(const XtrRecord* next) {
    if (!HasTyping() || (next != nullptr && Holds(*next))) {
        return true; // an editor opened by View, as Quit would, drops what was typed in it
    }
    Show();
    const std::wstring typedName = WindowText(txtFilename());
    const std::wstring entry = CurrentIndex != -1  ? OldRecord.fileName
                               : typedName.empty() ? L"the new entry"
                                                   : typedName;
    switch (Ui::ShowMessage(window_, L"Do you want to save changes to " + entry + L"?", AppTitle,
                            MB_YESNOCANCEL | MB_ICONWARNING)) {
    case IDYES:
        return Apply() == ChangeEnd::Done;
    case IDNO:
        loaded_ = BoxesNow(); // dropped: whatever loads next replaces them
        return true;
    default:
        return false;
    }
}

Form2::Boxes Form2::BoxesNow() const {
    return {WindowText(txtTitle()),       WindowText(txtFilename()),       WindowText(txtProgram()),
            SelectedText(cmbAutoStart()), SelectedText(cmbAutoShutdown()), SelectedText(cmbActive())};
}

void Form2::Load() {
    if (window_ != nullptr) {
        return;
    }
    FormFrame frame;
    frame.className = L"QuillonForm2";
    frame.icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_QUILLON));
    frame.style = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    frame.clientTwips = ClientTwips();
    CreateForm(frame);
    if (window_ != nullptr) {
        Form_Load();
    }
}

void Form2::Show() {
    ::ShowWindow(window_, SW_SHOW);
    ::SetForegroundWindow(window_);
    ::BringWindowToTop(window_);
}

void Form2::OnOK() {
    if (!applying_ && ::IsWindowEnabled(cmdOK())) {
        cmdOK_Click();
    }
}

void Form2::OnCancel() {
    if (!applying_) {
        cmdQuit_Click();
    }
}

void Form2::OnCommand(int id, int code) {
    if (!applying_ && id == kCmdBrowse && code == BN_CLICKED && ::IsWindowEnabled(cmdBrowse())) {
        cmdBrowse_Click();
    }
}

std::vector<FormControl> Form2::Controls() {
    std::vector<FormControl> controls;
    auto add = [&controls](int id, const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle,
                           int x, int y, int width, int height, bool label = false) {
        controls.push_back({id, className, text, style, exStyle, {x, y, width, height}, FormFont{}, label});
    };
    auto label = [&](const wchar_t* caption, int y) {
        add(-1, WC_STATICW, caption, SS_LEFT, 0, kLabelLeft, y + 45, kLabelWidth, 255, true);
    };
    auto textBox = [&](int id, int y, int width) {
        add(id, WC_EDITW, L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, kBoxLeft, y, width, kBoxHeight);
    };
    // Drop-down lists: only "YES" and "NO" can be chosen, nothing typed. The height includes the list.
    auto comboBox = [&](int id, int y) {
        add(id, WC_COMBOBOXW, L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, kBoxLeft, y, 1215, 1200);
    };

    // Creation order is the Tab order: top to bottom, Quit before OK. A label's
    // access key leads to the box created after it; OK is Enter, Quit is Esc too.
    label(L"&Title", 120);
    textBox(kTxtTitle, 120, 5895);
    label(L"&Filename", 540);
    textBox(kTxtFilename, 540, 3375);
    label(L"&Program", 960);
    textBox(kTxtProgram, 960, kRightEdge - kBoxLeft);
    add(kCmdBrowse, WC_BUTTONW, L"&browse", WS_TABSTOP | BS_PUSHBUTTON, 0, kRightEdge - 975, 1320, 975,
        kBoxHeight);
    label(L"Auto&Start", 1740);
    comboBox(kCmbAutoStart, 1740);
    label(L"auto st&op", 2160);
    comboBox(kCmbAutoShutdown, 2160);
    label(L"&Active", 2580);
    comboBox(kCmbActive, 2580);
    add(kCmdQuit, WC_BUTTONW, L"&Quit", WS_TABSTOP | BS_PUSHBUTTON, 0, kRightEdge - 2 * kButtonWidth - 135,
        3090, kButtonWidth, kButtonHeight);
    add(kCmdOK, WC_BUTTONW, L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, kRightEdge - kButtonWidth, 3090,
        kButtonWidth, kButtonHeight);
    return controls;
}

SIZE Form2::ClientTwips() { return {kClientWidth, kClientHeight}; }

void Form2::Form_Load() {
    Trap(L"Form2.Form_Load", [&] {
        SetText(window_, AppTitle);
        for (HWND combo : {cmbAutoStart(), cmbAutoShutdown(), cmbActive()}) {
            ComboBox_ResetContent(combo);
            ComboBox_AddString(combo, L"YES");
            ComboBox_AddString(combo, L"NO");
        }
        if (CurrentIndex == -1) {
            for (HWND combo : {cmbAutoStart(), cmbAutoShutdown(), cmbActive()}) {
                ComboBox_SetCurSel(combo, 0);
            }
            title_.Show(txtTitle(), blank_.title);
            Edit_SetSel(txtTitle(), 0, -1); // a placeholder: the first key typed replaces it
            SetText(txtFilename(), blank_.fileName);
            program_.Show(txtProgram(), blank_.program);
        } else {
            const XtrRecord& entry = OldRecord;
            ComboBox_SetCurSel(cmbAutoStart(), entry.autoStart ? 0 : 1);
            ComboBox_SetCurSel(cmbAutoShutdown(), entry.autoStop ? 0 : 1);
            ComboBox_SetCurSel(cmbActive(), entry.active ? 0 : 1);
            title_.Show(txtTitle(), entry.title);
            SetText(txtFilename(), entry.fileName);
            program_.Show(txtProgram(), ProgramPathForFileOf(ProgramPathOf(entry), ReadHostFolderSetting()));
        }
        loaded_ = BoxesNow();
    });
}

// A cancel, or a dialog that could not be shown, leaves the editor as it was;
// only the second is worth a log line.
void Form2::cmdBrowse_Click() {
    Trap(L"Form2.cmdBrowse_Click", [&] {
        Ui::OpenFileRequest request;
        request.owner = window_;
        request.title = L"Quillon";
        request.filter = L"program files (*.exe)|*.exe";
        request.initialFolder = HostFolder;
        request.defaultExtension = L"exe";
        // The current folder stays where it was at start-up, whatever folder the user browsed.
        request.flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
        if (const std::optional<std::wstring> chosen = Ui::ChooseFileToOpen(request)) {
            SetText(txtProgram(), *chosen);
        }
    });
}

void Form2::cmdOK_Click() { Apply(); }

ChangeEnd Form2::Apply() {
    ChangeEnd end = ChangeEnd::Declined;
    if (applying_) {
        return end;
    }
    // The grid rebuild lets messages through: a second OK or a Quit must wait for this one.
    applying_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{applying_};

    Trap(L"Form2.cmdOK_Click", [&] {
        const XtrRecord edited = EditedRecord();
        // The one box that cannot be left empty: the user is asked for a name, not told of a failure.
        if (edited.fileName.empty()) {
            Ui::ShowMessage(window_, L"The entry needs a file name: type one into the Filename box.",
                            AppTitle, MB_OK | MB_ICONINFORMATION);
            ::SetFocus(txtFilename());
            return;
        }
        if (!CodePageHolds(edited)) {
            return; // the typing stays, to be mended
        }
        end = SaveEditedEntry(window_, edited, CurrentIndex == -1 ? nullptr : &OldRecord);
        if (end == ChangeEnd::Declined) {
            return; // nothing was written; the dialog stays as it is
        }
        // A save that failed was told; the typing stays in the open dialog, to be mended.
        // The user's place goes to the saved entry, where it now is; after a
        // failure, back to the entry the editor was opened on.
        CataloguePlace place{L"", L"", 0};
        if (end == ChangeEnd::Done) {
            place = {CatalogueFolder(edited.active), edited.fileName, 0};
            ::DestroyWindow(window_);
        } else if (CurrentIndex != -1) {
            place = {OldRecord.folder, OldRecord.fileName, 0};
        }
        if (Applied) {
            Applied(place);
        }
    });
    return end;
}

void Form2::cmdQuit_Click() {
    Trap(L"Form2.cmdQuit_Click", [&] {
        if (window_ != nullptr && !::DestroyWindow(window_)) {
            RaiseLastError();
        }
    });
}

bool Form2::YesNo(std::wstring_view text) {
    bool yes = false;
    Trap(L"Form2.YesNo", [&] { yes = ::YesNo(text); });
    return yes;
}

XtrRecord Form2::EditedRecord() const {
    XtrRecord edited;
    edited.title = title_.Text(txtTitle());
    edited.fileName = TypedFileName(WindowText(txtFilename()));
    const ProgramPathPieces program = SplitProgramPath(TypedProgramPath(program_.Text(txtProgram())));
    edited.programDrive = program.drive;
    edited.programDir = program.dir;
    edited.programFile = program.file;
    edited.autoStart = YesNo(SelectedText(cmbAutoStart()));
    edited.autoStop = YesNo(SelectedText(cmbAutoShutdown()));
    edited.active = YesNo(SelectedText(cmbActive()));
    return edited;
}

// An XTR file and its name are read by UI-View32 in the computer's code page:
// a character the code page cannot hold would be written as a look-alike or
// "?", another text than the user's (and a path to another program). Such
// typing is refused, never altered. A field left as it was loaded is never
// in the way: an existing file keeps its name and its bytes.
bool Form2::CodePageHolds(const XtrRecord& edited) const {
    const bool creating = CurrentIndex == -1;
    const bool pathChanged = edited.programDrive != OldRecord.programDrive ||
                             edited.programDir != OldRecord.programDir ||
                             edited.programFile != OldRecord.programFile;
    std::wstring lacking;
    auto check = [&lacking](const wchar_t* field, bool changed, std::wstring_view text) {
        const std::wstring characters = changed ? CharactersTheCodePageLacks(text) : std::wstring();
        if (characters.empty()) {
            return;
        }
        lacking += L"\r\n";
        lacking += field;
        lacking += L":";
        for (wchar_t c : characters) {
            if (!IS_LOW_SURROGATE(c)) {
                lacking += L' ';
            }
            lacking += c;
        }
    };
    check(L"Title", creating || edited.title != OldRecord.title, edited.title);
    check(L"Filename", creating || edited.fileName != OldRecord.fileName, edited.fileName);
    check(L"Program", creating || pathChanged, program_.Text(txtProgram()));
    if (lacking.empty()) {
        return true;
    }
    Ui::ShowMessage(window_,
                    L"Nothing was saved. UI-View32 reads XTR files in this computer's code page (" +
                        std::to_wstring(::GetACP()) + L"), which has no place for these characters:" +
                        lacking,
                    AppTitle, MB_OK | MB_ICONSTOP);
    return false;
}
