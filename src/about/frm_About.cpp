#include "about/frm_About.h"

#include "rules/AppInfo.h"
#include "system/OwnFiles.h"
#include "toolkit/Ui.h"

#include <memory>

namespace {
// Lives as long as its window: created by Show, freed when the window is gone.
std::unique_ptr<frm_About> loaded;

// Labels show their texts as they are: an "&" in a legal notice is no access key.
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
constexpr FormFont kRegular{};
constexpr FormFont kBold{L"MS Sans Serif", 825, FW_BOLD};
constexpr FormFont kTitle{L"MS Sans Serif", 975, FW_BOLD};

FormControl Label(frm_About::ControlId id, std::wstring text, TwipsBox twips, const FormFont& font) {
    return {id, WC_STATICW, std::move(text), kLabel, 0, twips, font, true};
}
} // namespace

std::vector<FormControl> frm_About::Controls(const std::wstring& legalNotice) {
    const std::wstring link = L"<a>" + AppWebAddress + L"</a>";
    return {
        Label(kLabel1, AppTitle, {720, 0, 5295, 375}, kTitle),
        Label(kLabel2, AppAuthor, {120, 480, 5295, 375}, kBold),
        Label(kLabel3, AppDescription, {840, 840, 5295, 735}, kRegular),
        Label(kLabel9, L"Translations", {120, 1680, 1335, 255}, kBold),
        Label(kLblTranslators, L"No translations", {840, 1920, 5055, 1335}, kRegular),
        Label(kLabel8, L"More information on this website", {120, 3480, 5295, 255}, kBold),
        // A link control rather than a label, so that a keyboard user can reach it
        // with Tab and open it with Enter or Space. The link markup only makes the
        // whole address the link; what shows is the address.
        {kLblWebURL, WC_LINK, link, WS_TABSTOP | LWS_TRANSPARENT, 0, {840, 3720, 5295, 255}, kRegular},
        Label(kLabel4, L"Legal", {120, 4080, 735, 255}, kBold),
        Label(kLabel5, legalNotice.empty() ? L"Not set in Project!" : legalNotice, {840, 4080, 5295, 495},
              kRegular),
        // There is no disclaimer text: its label stays in the layout, empty.
        Label(kLabel6, L"", {840, 4440, 4095, 975}, kRegular),
        Label(kLabel7, L"", {720, 5520, 4335, 255}, kRegular),
        {kCommand1, WC_BUTTONW, L"&OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, {5280, 5280, 975, 375}, kBold},
    };
}

frm_About* frm_About::Show() {
    if (loaded) {
        ::ShowWindow(loaded->window_, SW_SHOWNORMAL);
        ::SetForegroundWindow(loaded->window_);
        return loaded.get();
    }
    std::unique_ptr<frm_About> form(new frm_About);
    if (!form->CreateForm({.className = L"Quillonfrm_About",
                           .style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                           .exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT})) {
        return nullptr;
    }
    loaded = std::move(form);
    const HWND window = loaded->window_;
    RECT outer{};
    ::GetWindowRect(window, &outer);
    Logged(::SetWindowPos(
               window, HWND_TOPMOST, (::GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2,
               (::GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) / 2, 0, 0, SWP_NOSIZE) != FALSE,
           L"frm_About.Form_Load");
    ::SetWindowTextW(window, (L"About " + AppTitle).c_str());
    ::ShowWindow(window, SW_SHOWNORMAL);
    ::SetFocus(loaded->Control(kCommand1));
    return loaded.get();
}

void frm_About::OnFinalMessage() {
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW)); // unloading gives the pointer its default shape
    if (loaded.get() == this) {
        loaded.reset(); // the next Show loads a fresh window
    }
}

// The link control itself tells of a click on the address and of Enter.
std::optional<LRESULT> frm_About::OnNotify(NMHDR& header) {
    if (header.idFrom == kLblWebURL && (header.code == NM_RETURN || header.code == NM_CLICK)) {
        // The address goes to the shell's "open" verb, for the user's default browser.
        // Whether a browser actually opens is not checked: with no program registered
        // for the address nothing happens, and nothing is shown or logged.
        Ui::ExecuteShell({.verb = L"open", .file = AppWebAddress});
        return 0;
    }
    return std::nullopt;
}
