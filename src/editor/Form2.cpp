#include "editor/Form2.h"

#include "host/HostFolder.h"
#include "rules/AppInfo.h"
#include "rules/EditorInput.h"
#include "rules/Trap.h"
#include "rules/XtrFormat.h"
#include "rules/XtrTable.h"
#include "rules/resource.h"
#include "toolkit/Ui.h"
#include "xtr/EntryChanges.h"
#include "xtr/GridFill.h"
#include "xtr/ProgramPaths.h"

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include <initializer_list>

namespace {
// OK and Quit carry the ids that Enter and Esc send through dialog navigation.
constexpr int kIdOK = IDOK;
constexpr int kIdQuit = IDCANCEL;
constexpr int kIdTitle = 3001;
constexpr int kIdFilename = 3002;
constexpr int kIdProgram = 3003;
constexpr int kIdBrowse = 3004;
constexpr int kIdAutoStart = 3005;
constexpr int kIdAutoShutdown = 3006;
constexpr int kIdActive = 3007;

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

Form2::~Form2() {
    if (window_ != nullptr) {
        ::DestroyWindow(window_);
    }
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
    Load();
    if (window_ == nullptr) {
        return;
    }
    ::ShowWindow(window_, SW_SHOW);
    ::SetForegroundWindow(window_);
    ::BringWindowToTop(window_);
}

// The controls died with the window; the next opening loads a fresh one.
void Form2::OnFinalMessage() {
    window_ = nullptr;
    txtTitle_ = txtFilename_ = txtProgram_ = cmdBrowse_ = nullptr;
    cmbAutoStart_ = cmbAutoShutdown_ = cmbActive_ = nullptr;
    cmdQuit_ = cmdOK_ = nullptr;
    focus_.Forget();
    fonts_ = {};
}

LRESULT Form2::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        CreateControls();
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            OnCommand(LOWORD(wParam));
        }
        return 0;
    case DM_GETDEFID:
        return MAKELRESULT(kIdOK, DC_HASDEFID);
    case WM_NEXTDLGCTL:
        MoveDialogFocus(window_, wParam, lParam);
        return 0;
    case WM_ACTIVATE:
        focus_.OnActivate(window_, LOWORD(wParam) != WA_INACTIVE, txtTitle_);
        return 0;
    case WM_CLOSE:
        if (!applying_ && TakesInput()) {
            cmdQuit_Click();
        }
        return 0;
    default:
        return ::DefWindowProcW(window_, message, wParam, lParam);
    }
}

// Enter reaches OK through dialog navigation even while OK is disabled (View):
// a disabled button never acts.
void Form2::OnCommand(int id) {
    if (applying_ || !TakesInput()) {
        return;
    }
    switch (DialogKeyOf(id)) {
    case DialogKey::Default:
        if (::IsWindowEnabled(cmdOK_)) {
            cmdOK_Click();
        }
        return;
    case DialogKey::Cancel:
        cmdQuit_Click();
        return;
    case DialogKey::None:
        break;
    }
    if (id == kIdBrowse && ::IsWindowEnabled(cmdBrowse_)) {
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
    textBox(kIdTitle, 120, 5895);
    label(L"&Filename", 540);
    textBox(kIdFilename, 540, 3375);
    label(L"&Program", 960);
    textBox(kIdProgram, 960, kRightEdge - kBoxLeft);
    add(kIdBrowse, WC_BUTTONW, L"&browse", WS_TABSTOP | BS_PUSHBUTTON, 0, kRightEdge - 975, 1320, 975,
        kBoxHeight);
    label(L"Auto&Start", 1740);
    comboBox(kIdAutoStart, 1740);
    label(L"auto st&op", 2160);
    comboBox(kIdAutoShutdown, 2160);
    label(L"&Active", 2580);
    comboBox(kIdActive, 2580);
    add(kIdQuit, WC_BUTTONW, L"&Quit", WS_TABSTOP | BS_PUSHBUTTON, 0, kRightEdge - 2 * kButtonWidth - 135,
        3090, kButtonWidth, kButtonHeight);
    add(kIdOK, WC_BUTTONW, L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, kRightEdge - kButtonWidth, 3090,
        kButtonWidth, kButtonHeight);
    return controls;
}

SIZE Form2::ClientTwips() { return {kClientWidth, kClientHeight}; }

void Form2::CreateControls() {
    const int dpi = ScreenDpi();
    const std::vector<FormControl> controls = Controls();
    const FormLayout layout = LayOutForm(controls, ClientTwips(), dpi);
    CreateFormControls(window_, controls, layout, fonts_, dpi);
    SetClientSize(window_, layout.client);
    auto control = [this](int id) { return ::GetDlgItem(window_, id); };
    txtTitle_ = control(kIdTitle);
    txtFilename_ = control(kIdFilename);
    txtProgram_ = control(kIdProgram);
    cmdBrowse_ = control(kIdBrowse);
    cmbAutoStart_ = control(kIdAutoStart);
    cmbAutoShutdown_ = control(kIdAutoShutdown);
    cmbActive_ = control(kIdActive);
    cmdQuit_ = control(kIdQuit);
    cmdOK_ = control(kIdOK);
}

void Form2::Form_Load() {
    Trap(L"Form2.Form_Load", [&] {
        SetText(window_, AppTitle);
        for (HWND combo : {cmbAutoStart_, cmbAutoShutdown_, cmbActive_}) {
            ComboBox_ResetContent(combo);
            ComboBox_AddString(combo, L"YES");
            ComboBox_AddString(combo, L"NO");
        }
        // The dialog holds on to this entry: CurrentIndex moves with every press on the grid.
        loadedIndex_ = CurrentIndex;
        if (CurrentIndex == -1) {
            for (HWND combo : {cmbAutoStart_, cmbAutoShutdown_, cmbActive_}) {
                ComboBox_SetCurSel(combo, 0);
            }
            title_.Show(txtTitle_, L"your description");
            Edit_SetSel(txtTitle_, 0, -1); // a placeholder: the first key typed replaces it
            SetText(txtFilename_, L"new_xtr.xtr");
            program_.Show(txtProgram_, L"");
            return;
        }
        const XtrRecord& entry = XtrEntry(CurrentIndex);
        OldRecord = entry;
        ComboBox_SetCurSel(cmbAutoStart_, entry.autoStart ? 0 : 1);
        ComboBox_SetCurSel(cmbAutoShutdown_, entry.autoStop ? 0 : 1);
        ComboBox_SetCurSel(cmbActive_, entry.active ? 0 : 1);
        title_.Show(txtTitle_, entry.title);
        SetText(txtFilename_, entry.fileName);
        program_.Show(txtProgram_, ProgramPathForFile(CurrentIndex));
    });
}

// A cancel, or a dialog that could not be shown, leaves the editor as it was;
// neither is worth a report.
void Form2::cmdBrowse_Click() {
    try {
        Ui::OpenFileRequest request;
        request.owner = window_;
        request.title = L"Quillon";
        request.filter = L"program files (*.exe)|*.exe";
        request.initialFolder = HostFolder;
        request.defaultExtension = L"exe";
        // The current folder stays where it was at start-up, whatever folder the user browsed.
        request.flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
        if (const std::optional<std::wstring> chosen = Ui::ChooseFileToOpen(request)) {
            SetText(txtProgram_, *chosen);
        }
    } catch (...) {
    }
}

void Form2::cmdOK_Click() {
    if (applying_) {
        return;
    }
    // The grid rebuild lets messages through: a second OK or a Quit must wait for this one.
    applying_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{applying_};

    Trap(L"Form2.cmdOK_Click", [&] {
        const XtrRecord edited = EditedRecord();
        if (!CodePageHolds(edited)) {
            return; // the typing stays, to be mended
        }
        const ChangeEnd end = SaveEditedEntry(window_, edited, loadedIndex_ == -1 ? nullptr : &OldRecord);
        if (end == ChangeEnd::Declined) {
            return; // nothing was written; the dialog stays as it is
        }
        // A save that failed was told; the typing stays in the open dialog, to be mended.
        if (end == ChangeEnd::Done) {
            ::DestroyWindow(window_);
        }
        RescanAndRebuild();
    });
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
    edited.title = title_.Text(txtTitle_);
    edited.fileName = TypedFileName(WindowText(txtFilename_));
    const ProgramPathPieces program = SplitProgramPath(TypedProgramPath(program_.Text(txtProgram_)));
    edited.programDrive = program.drive;
    edited.programDir = program.dir;
    edited.programFile = program.file;
    edited.autoStart = YesNo(SelectedText(cmbAutoStart_));
    edited.autoStop = YesNo(SelectedText(cmbAutoShutdown_));
    edited.active = YesNo(SelectedText(cmbActive_));
    return edited;
}

// An XTR file and its name are read by UI-View32 in the computer's code page:
// a character the code page cannot hold would be written as a look-alike or
// "?", another text than the user's (and a path to another program). Such
// typing is refused, never altered. A field left as it was loaded is never
// in the way: an existing file keeps its name and its bytes.
bool Form2::CodePageHolds(const XtrRecord& edited) const {
    const bool creating = loadedIndex_ == -1;
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
    check(L"Program", creating || pathChanged, program_.Text(txtProgram_));
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
