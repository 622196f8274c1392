#include "about/frm_About.h"

#include "about/A_URL.h"
#include "rules/AppInfo.h"
#include "toolkit/Ui.h"

#include <windowsx.h>

#include <memory>

namespace {
constexpr wchar_t kNoLegalNotice[] = L"Not set in Project!";

// Lives as long as its window: created by Show, freed when the window is gone.
std::unique_ptr<frm_About> loaded;

// Labels show their texts as they are: an "&" in a legal notice is no access key.
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
constexpr FormFont kRegular{};
constexpr FormFont kBold{L"MS Sans Serif", 825, FW_BOLD};
constexpr FormFont kTitle{L"MS Sans Serif", 975, FW_BOLD};

FormControl Place(AboutControlId id, const wchar_t* className, std::wstring text, DWORD style, TwipsBox twips,
                  const FormFont& font, bool label) {
    return {id, className, std::move(text), style, 0, twips, font, label};
}

FormControl Label(AboutControlId id, std::wstring text, TwipsBox twips, const FormFont& font) {
    return Place(id, WC_STATICW, std::move(text), kLabel, twips, font, true);
}

std::wstring LegalNotice() {
    const std::wstring notice = Ui::ProgramVersionString(L"LegalCopyright");
    return notice.empty() ? std::wstring(kNoLegalNotice) : notice;
}
} // namespace

std::vector<FormControl> frm_About::Controls() {
    return {
        Label(IDC_ABOUT_LABEL1, AppTitle, {720, 0, 5295, 375}, kTitle),
        Label(IDC_ABOUT_LABEL2, AppAuthor, {120, 480, 5295, 375}, kBold),
        Label(IDC_ABOUT_LABEL3, AppDescription, {840, 840, 5295, 735}, kRegular),
        Label(IDC_ABOUT_LABEL9, L"Translations", {120, 1680, 1335, 255}, kBold),
        Label(IDC_ABOUT_LBLTRANSLATORS, L"No translations", {840, 1920, 5055, 1335}, kRegular),
        Label(IDC_ABOUT_LABEL8, L"More information on this website", {120, 3480, 5295, 255}, kBold),
        // A link control rather than a label, so that a keyboard user can reach it
        // with Tab and open it with Enter or Space. Its text is set at load.
        Place(IDC_ABOUT_LBLWEBURL, WC_LINK, L"", WS_TABSTOP | LWS_TRANSPARENT, {840, 3720, 5295, 255},
              kRegular, false),
        Label(IDC_ABOUT_LABEL4, L"Legal", {120, 4080, 735, 255}, kBold),
        Label(IDC_ABOUT_LABEL5, LegalNotice(), {840, 4080, 5295, 495}, kRegular),
        Label(IDC_ABOUT_LABEL6, L"", {840, 4440, 4095, 975}, kRegular),
        Label(IDC_ABOUT_LABEL7, L"", {720, 5520, 4335, 255}, kRegular),
        Place(IDC_ABOUT_COMMAND1, WC_BUTTONW, L"&OK", WS_TABSTOP | BS_DEFPUSHBUTTON, {5280, 5280, 975, 375},
              kBold, false),
    };
}

SIZE frm_About::ClientTwips() { return {6390, 5880}; }

frm_About::~frm_About() {
    if (window_ != nullptr) {
        // The window outlived its object (the program is ending): let it go quietly.
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        ::DestroyWindow(window_);
    }
}

frm_About* frm_About::Instance() { return loaded.get(); }

frm_About* frm_About::Show() {
    if (loaded) {
        ::ShowWindow(loaded->window_, SW_SHOWNORMAL);
        ::SetForegroundWindow(loaded->window_);
        return loaded.get();
    }
    std::unique_ptr<frm_About> form(new frm_About);
    if (!form->Create()) {
        return nullptr;
    }
    loaded = std::move(form);
    loaded->Form_Load();
    return loaded.get();
}

bool frm_About::Create() {
    FormFrame frame;
    frame.className = L"Quillonfrm_About";
    frame.style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    frame.exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    frame.clientTwips = ClientTwips();
    return CreateForm(frame);
}

void frm_About::OnFinalMessage() {
    window_ = nullptr;
    if (loaded.get() == this) {
        loaded.reset(); // the next Show loads a fresh window
    }
}

LRESULT frm_About::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        CreateControls();
        return 0;
    case WM_COMMAND:
        OnCommand(GET_WM_COMMAND_ID(wParam, lParam));
        return 0;
    case WM_NOTIFY:
        OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        return 0;
    case WM_ACTIVATE:
        focus_.OnActivate(window_, LOWORD(wParam) != WA_INACTIVE, Control(IDC_ABOUT_COMMAND1));
        return 0;
    case WM_DESTROY:
        Form_Unload();
        return 0;
    default:
        return ::DefWindowProcW(window_, message, wParam, lParam);
    }
}

// Laid out with the texts the load puts in, so that each label has room for its own.
void frm_About::CreateControls() {
    const int dpi = ScreenDpi();
    const std::vector<FormControl> controls = Controls();
    const FormLayout layout = LayOutForm(controls, ClientTwips(), dpi);
    CreateFormControls(window_, controls, layout, fonts_, dpi);
    SetClientSize(window_, layout.client);
    ::SetWindowSubclass(Control(IDC_ABOUT_LBLWEBURL), &frm_About::WebUrlProc, 0,
                        reinterpret_cast<DWORD_PTR>(this));
}

void frm_About::Form_Load() {
    ::SetWindowTextW(Control(IDC_ABOUT_LABEL7), L"");

    legalNotice_ = LegalNotice();
    disclaimer_ = L""; // there is no disclaimer text; its label stays in the layout, empty

    ::SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);

    RECT outer;
    ::GetWindowRect(window_, &outer);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    ::SetWindowPos(window_, nullptr, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                   (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    ::SetWindowTextW(window_, (L"About " + AppTitle).c_str());
    ::SetWindowTextW(Control(IDC_ABOUT_LABEL1), AppTitle.c_str());
    ::SetWindowTextW(Control(IDC_ABOUT_LABEL2), AppAuthor.c_str());
    ::SetWindowTextW(Control(IDC_ABOUT_LABEL3), AppDescription.c_str());
    ::SetWindowTextW(Control(IDC_ABOUT_LBLTRANSLATORS), L"No translations");
    ::SetWindowTextW(Control(IDC_ABOUT_LABEL5), legalNotice_.c_str());
    ::SetWindowTextW(Control(IDC_ABOUT_LABEL6), disclaimer_.c_str());
    // The link markup only makes the whole address the link; what shows is the address.
    ::SetWindowTextW(Control(IDC_ABOUT_LBLWEBURL), (L"<a>" + AppWebAddress + L"</a>").c_str());

    ::ShowWindow(window_, SW_SHOWNORMAL);
    ::SetFocus(Control(IDC_ABOUT_COMMAND1));
}

void frm_About::Form_Unload() { ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW)); }

void frm_About::Command1_Click() { ::DestroyWindow(window_); }

void frm_About::lblWebURL_Click() { OpenUrl(AppWebAddress); }

// OK, and Enter (outside the link) and Esc.
void frm_About::OnCommand(int id) {
    if (TakesInput() && (id == IDC_ABOUT_COMMAND1 || DialogKeyOf(id) != DialogKey::None)) {
        Command1_Click();
    }
}

void frm_About::OnNotify(const NMHDR& header) {
    if (header.idFrom == IDC_ABOUT_LBLWEBURL && (header.code == NM_RETURN || header.code == NM_CLICK)) {
        lblWebURL_Click();
    }
}

LRESULT CALLBACK frm_About::WebUrlProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR self) noexcept {
    try {
        return reinterpret_cast<frm_About*>(self)->OnWebUrlMessage(label, message, wParam, lParam);
    } catch (...) {
        return ::DefSubclassProc(label, message, wParam, lParam);
    }
}

// The link control only answers the mouse over its text; the address behaves as
// one label over its whole area instead: hand pointer, and a click is a press
// and release on it. Space opens it as Enter does.
LRESULT frm_About::OnWebUrlMessage(HWND label, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCHITTEST:
        return HTCLIENT;
    case WM_SETCURSOR:
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    case WM_LBUTTONDOWN:
        ::SetFocus(label);
        ::SetCapture(label);
        return 0;
    case WM_LBUTTONUP: {
        if (::GetCapture() != label) {
            return 0;
        }
        ::ReleaseCapture();
        RECT client;
        ::GetClientRect(label, &client);
        const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (::PtInRect(&client, at)) {
            lblWebURL_Click();
        }
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_SPACE) {
            lblWebURL_Click();
            return 0;
        }
        break;
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(label, &frm_About::WebUrlProc, 0);
        break;
    default:
        break;
    }
    return ::DefSubclassProc(label, message, wParam, lParam);
}
