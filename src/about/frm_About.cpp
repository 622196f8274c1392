#include "about/frm_About.h"

#include "about/A_URL.h"
#include "rules/AppInfo.h"
#include "toolkit/Ui.h"

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

FormControl Place(frm_About::ControlId id, const wchar_t* className, std::wstring text, DWORD style,
                  TwipsBox twips, const FormFont& font, bool label) {
    return {id, className, std::move(text), style, 0, twips, font, label};
}

FormControl Label(frm_About::ControlId id, std::wstring text, TwipsBox twips, const FormFont& font) {
    return Place(id, WC_STATICW, std::move(text), kLabel, twips, font, true);
}

std::wstring LegalNotice() {
    const std::wstring notice = Ui::ProgramVersionString(L"LegalCopyright");
    return notice.empty() ? std::wstring(kNoLegalNotice) : notice;
}
} // namespace

std::vector<FormControl> frm_About::Controls() {
    return {
        Label(kLabel1, AppTitle, {720, 0, 5295, 375}, kTitle),
        Label(kLabel2, AppAuthor, {120, 480, 5295, 375}, kBold),
        Label(kLabel3, AppDescription, {840, 840, 5295, 735}, kRegular),
        Label(kLabel9, L"Translations", {120, 1680, 1335, 255}, kBold),
        Label(kLblTranslators, L"No translations", {840, 1920, 5055, 1335}, kRegular),
        Label(kLabel8, L"More information on this website", {120, 3480, 5295, 255}, kBold),
        // A link control rather than a label, so that a keyboard user can reach it
        // with Tab and open it with Enter or Space. Its text is set at load.
        Place(kLblWebURL, WC_LINK, L"", WS_TABSTOP | LWS_TRANSPARENT, {840, 3720, 5295, 255}, kRegular,
              false),
        Label(kLabel4, L"Legal", {120, 4080, 735, 255}, kBold),
        Label(kLabel5, LegalNotice(), {840, 4080, 5295, 495}, kRegular),
        Label(kLabel6, L"", {840, 4440, 4095, 975}, kRegular),
        Label(kLabel7, L"", {720, 5520, 4335, 255}, kRegular),
        Place(kCommand1, WC_BUTTONW, L"&OK", WS_TABSTOP | BS_DEFPUSHBUTTON, {5280, 5280, 975, 375}, kBold,
              false),
    };
}

SIZE frm_About::ClientTwips() { return {6390, 5880}; }

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
    if (loaded.get() == this) {
        loaded.reset(); // the next Show loads a fresh window
    }
}

LRESULT frm_About::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        Form_Unload();
        return 0;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

void frm_About::Form_Load() {
    ::SetWindowTextW(Control(kLabel7), L"");

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
    ::SetWindowTextW(Control(kLabel1), AppTitle.c_str());
    ::SetWindowTextW(Control(kLabel2), AppAuthor.c_str());
    ::SetWindowTextW(Control(kLabel3), AppDescription.c_str());
    ::SetWindowTextW(Control(kLblTranslators), L"No translations");
    ::SetWindowTextW(Control(kLabel5), legalNotice_.c_str());
    ::SetWindowTextW(Control(kLabel6), disclaimer_.c_str());
    // The link markup only makes the whole address the link; what shows is the address.
    ::SetWindowTextW(Control(kLblWebURL), (L"<a>" + AppWebAddress + L"</a>").c_str());

    ::ShowWindow(window_, SW_SHOWNORMAL);
    ::SetFocus(Control(kCommand1));
}

void frm_About::Form_Unload() { ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW)); }

void frm_About::Command1_Click() { ::DestroyWindow(window_); }

void frm_About::lblWebURL_Click() { OpenUrl(AppWebAddress); }

// The link control itself tells of a click on the address and of Enter.
std::optional<LRESULT> frm_About::OnNotify(NMHDR& header) {
    if (header.idFrom == kLblWebURL && (header.code == NM_RETURN || header.code == NM_CLICK)) {
        lblWebURL_Click();
        return 0;
    }
    return std::nullopt;
}
