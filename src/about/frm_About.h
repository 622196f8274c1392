#pragma once
// The About window: which program this is, where to read more about it, and
// its legal text. One at most is open; it stays above other windows and does
// not block the main window.
#include "system/VersionInfo.h"
#include "toolkit/Form.h"

#include <commctrl.h>

#include <string>
#include <vector>

class frm_About : public Form<frm_About> {
  public:
    static constexpr wchar_t kFormName[] = L"frm_About";
    enum ControlId : int {
        kLabel1 = 101,
        kLabel2,
        kLabel3,
        kLabel9,
        kLblTranslators,
        kLabel8,
        kLblWebURL,
        kLabel4,
        kLabel5,
        kLabel6,
        kLabel7,
        kCommand1 = IDOK,
    };

    // Shows the About window, modeless and without owner. When it is not open
    // it is loaded now; when it is, the open one comes forward as it is.
    // Null only when the window could not be created.
    static frm_About* Show();

    // The controls as designed, in twips, with their texts (the legal notice
    // the program's version resource carries), and the client area: laid out
    // at the screen's dots per inch when it opens.
    static std::vector<FormControl>
    Controls(const std::wstring& legalNotice = ReadProgramVersionString(L"LegalCopyright"));
    static constexpr SIZE kClientTwips{6390, 5880};

  private:
    friend class Form<frm_About>;
    frm_About() = default;
    // OK, and Enter (outside the link); Esc and the close box close it too (the default OnCancel).
    void OnOK() { ::DestroyWindow(window_); }
    std::optional<LRESULT> OnNotify(NMHDR& header);
    HWND FocusFallback() const { return Control(kCommand1); }
    void OnFinalMessage();
};
