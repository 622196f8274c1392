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

#include <utility>

namespace {
// The layout in twips: the boxes' left edge and height, the right edge, the buttons' size.
constexpr int kBoxLeft = 1320;
constexpr int kBoxHeight = 315;
constexpr int kRightEdge = 8280;
constexpr int kButtonWidth = 1080;
constexpr int kButtonHeight = 375;

// A combo box that is a drop-down list gives its selected choice as its text (empty when none is).
std::wstring WindowText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}
} // namespace

void Form2::BoxText::Show(HWND box, const std::wstring& text) {
    ::SetWindowTextW(box, text.c_str());
    meant_ = text;
    shown_ = WindowText(box);
}

std::wstring Form2::BoxText::Text(HWND box) const {
    std::wstring text = WindowText(box);
    return text == shown_ ? meant_ : text;
}

void Form2::Open(std::int16_t index, const XtrRecord* entry, bool saving, const NewEntryBoxes& blank) {
    // Chosen again with changes, the entry keeps them: nothing would be dropped.
    if (entry == nullptr || !Holds(*entry) || BoxesNow() == loaded_) {
        blank_ = blank;
        CurrentIndex = entry != nullptr ? index : -1;
        OldRecord = entry != nullptr ? *entry : XtrRecord{}; // a new one is read from no file
        if (!IsLoaded() &&
            !CreateForm({.className = L"QuillonForm2",
                         .icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_QUILLON)),
                         .style = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN})) {
            return;
        }
        Form_Load();
    }
    ::EnableWindow(cmdOK(), saving);
    ::EnableWindow(cmdBrowse(), saving);
    Show();
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
    loaded_.back() = WindowText(cmbActive());
}

bool Form2::CloseAsking() {
    const bool leaving = MayLeave(nullptr, true);
    if (leaving && IsLoaded()) {
        ::DestroyWindow(window_);
    }
    return leaving;
}

bool Form2::HasTyping() const { return IsLoaded() && ::IsWindowEnabled(cmdOK()) && BoxesNow() != loaded_; }

// Asked as Windows programs ask it, about what the boxes show: they are in
// sight while it waits. Yes saves as OK would (the main window rescans), No
// drops the typing, Cancel keeps everything as it is. After Yes, as after No,
// the next entry loads into the same window: closed and made again, it took
// Yes 20 to 30 ms more under Wine.
bool Form2::MayLeave(const XtrRecord* next, bool closing) {
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
        return Apply(closing) == ChangeEnd::Done;
    case IDNO:
        loaded_ = BoxesNow(); // dropped: whatever loads next replaces them
        return true;
    default:
        return false;
    }
}

Form2::Boxes Form2::BoxesNow() const {
    return {WindowText(txtTitle()),     WindowText(txtFilename()),     WindowText(txtProgram()),
            WindowText(cmbAutoStart()), WindowText(cmbAutoShutdown()), WindowText(cmbActive())};
}

void Form2::Show() {
    ::ShowWindow(window_, SW_SHOW);
    ::SetForegroundWindow(window_);
    ::BringWindowToTop(window_);
}

void Form2::OnOK() {
    if (::IsWindowEnabled(cmdOK())) {
        Apply(true);
    }
}

void Form2::OnCancel() {
    if (!applying_) {
        Trap(L"Form2.cmdQuit_Click", [&] {
            if (!::DestroyWindow(window_)) {
                RaiseLastError();
            }
        });
    }
}

// Browse: a cancel, or a dialog that could not be shown, leaves the editor as
// it was; only the second is worth a log line.
void Form2::OnCommand(int id, int code) {
    if (applying_ || id != kCmdBrowse || code != BN_CLICKED || !::IsWindowEnabled(cmdBrowse())) {
        return;
    }
    Trap(L"Form2.cmdBrowse_Click", [&] {
        // The current folder stays where it was at start-up, whatever folder the user browsed.
        if (const std::optional<std::wstring> chosen =
                Ui::ChooseFileToOpen({.owner = window_,
                                      .title = L"Quillon",
                                      .filter = L"program files (*.exe)|*.exe",
                                      .initialFolder = HostFolder,
                                      .defaultExtension = L"exe",
                                      .flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR})) {
            ::SetWindowTextW(txtProgram(), chosen->c_str());
        }
    });
}

std::vector<FormControl> Form2::Controls() {
    std::vector<FormControl> controls;
    auto add = [&controls](int id, const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle,
                           int x, int y, int width, int height, bool label = false) {
        controls.push_back({id, className, text, style, exStyle, {x, y, width, height}, FormFont{}, label});
    };
    auto label = [&](const wchar_t* caption, int y) {
        add(-1, WC_STATICW, caption, SS_LEFT, 0, 120, y + 45, 1095, 255, true);
    };
    auto textBox = [&](const wchar_t* caption, int id, int y, int width) {
        label(caption, y);
        add(id, WC_EDITW, L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, kBoxLeft, y, width, kBoxHeight);
    };
    // Drop-down lists: only "YES" and "NO" can be chosen, nothing typed. The height includes the list.
    auto comboBox = [&](const wchar_t* caption, int id, int y) {
        label(caption, y);
        add(id, WC_COMBOBOXW, L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, kBoxLeft, y, 1215, 1200);
    };

    // Creation order is the Tab order: top to bottom, Quit before OK. A label's
    // access key leads to the box created after it; OK is Enter, Quit is Esc too.
    textBox(L"&Title", kTxtTitle, 120, 5895);
    textBox(L"&Filename", kTxtFilename, 540, 3375);
    textBox(L"&Program", kTxtProgram, 960, kRightEdge - kBoxLeft);
    add(kCmdBrowse, WC_BUTTONW, L"&browse", WS_TABSTOP | BS_PUSHBUTTON, 0, kRightEdge - 975, 1320, 975,
        kBoxHeight);
    comboBox(L"Auto&Start", kCmbAutoStart, 1740);
    comboBox(L"auto st&op", kCmbAutoShutdown, 2160);
    comboBox(L"&Active", kCmbActive, 2580);
    add(kCmdQuit, WC_BUTTONW, L"&Quit", WS_TABSTOP | BS_PUSHBUTTON, 0, kRightEdge - 2 * kButtonWidth - 135,
        3090, kButtonWidth, kButtonHeight);
    add(kCmdOK, WC_BUTTONW, L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, kRightEdge - kButtonWidth, 3090,
        kButtonWidth, kButtonHeight);
    return controls;
}

void Form2::Form_Load() {
    Trap(L"Form2.Form_Load", [&] {
        ::SetWindowTextW(window_, AppTitle.c_str());
        const bool creating = CurrentIndex == -1;
        const XtrRecord& entry = OldRecord;
        const std::pair<HWND, bool> combos[] = {{cmbAutoStart(), creating || entry.autoStart},
                                                {cmbAutoShutdown(), creating || entry.autoStop},
                                                {cmbActive(), creating || entry.active}};
        for (const auto& [combo, yes] : combos) {
            ComboBox_ResetContent(combo);
            ComboBox_AddString(combo, L"YES");
            ComboBox_AddString(combo, L"NO");
            ComboBox_SetCurSel(combo, yes ? 0 : 1);
        }
        title_.Show(txtTitle(), creating ? blank_.title : entry.title);
        ::SetWindowTextW(txtFilename(), (creating ? blank_.fileName : entry.fileName).c_str());
        program_.Show(txtProgram(),
                      creating ? blank_.program
                               : ProgramPathForFileOf(ProgramPathOf(entry), ReadHostFolderSetting()));
        if (creating) {
            Edit_SetSel(txtTitle(), 0, -1); // a placeholder: the first key typed replaces it
        }
        loaded_ = BoxesNow();
    });
}

ChangeEnd Form2::Apply(bool closing) {
    ChangeEnd end = ChangeEnd::Declined;
    if (applying_) {
        return end;
    }
    // The grid rebuild lets messages through: a second OK or a Quit must wait for this one.
    applying_ = true;
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
        // failure, back to the entry the editor was opened on (a new one has
        // no file: the current row).
        CataloguePlace place{OldRecord.folder, OldRecord.fileName, 0};
        if (end == ChangeEnd::Done) {
            place = {CatalogueFolder(edited.active), edited.fileName, 0};
            if (closing) {
                ::DestroyWindow(window_);
            }
        }
        if (Applied) {
            Applied(place);
        }
    });
    applying_ = false; // the trap lets no failure past it
    return end;
}

XtrRecord Form2::EditedRecord() const {
    XtrRecord edited;
    edited.title = title_.Text(txtTitle());
    edited.fileName = TypedFileName(WindowText(txtFilename()));
    const ProgramPathPieces program = SplitProgramPath(TypedProgramPath(program_.Text(txtProgram())));
    edited.programDrive = program.drive;
    edited.programDir = program.dir;
    edited.programFile = program.file;
    edited.autoStart = YesNo(WindowText(cmbAutoStart()));
    edited.autoStop = YesNo(WindowText(cmbAutoShutdown()));
    edited.active = YesNo(WindowText(cmbActive()));
    return edited;
}

// An XTR file and its name are read by UI-View32 in the computer's code page:
// a character the code page cannot hold would be written as a look-alike or
// "?", another text than the user's (and a path to another program). Such
// typing is refused, never altered. A field left as it was loaded is never
// in the way: an existing file keeps its name and its bytes.
bool Form2::CodePageHolds(const XtrRecord& edited) const {
    const bool creating = CurrentIndex == -1;
    const bool pathChanged = !SameProgramPath(edited, OldRecord);
    std::wstring lacking;
    auto check = [&lacking](const wchar_t* field, bool changed, std::wstring_view text) {
        const std::wstring characters = changed ? CharactersTheCodePageLacks(text) : std::wstring();
        if (characters.empty()) {
            return;
        }
        lacking += L"\r\n" + std::wstring(field) + L":";
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
