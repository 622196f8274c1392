#pragma once
// The About window: which program this is, where to read more about it, and
// its legal text. One at most is open; it stays above other windows and does
// not block the main window.
#include "toolkit/Form.h"

#include <commctrl.h>

#include <string>
#include <vector>

// Control ids of the About window.
enum AboutControlId : int {
    IDC_ABOUT_LABEL1 = 3001,
    IDC_ABOUT_LABEL2,
    IDC_ABOUT_LABEL3,
    IDC_ABOUT_LABEL9,
    IDC_ABOUT_LBLTRANSLATORS,
    IDC_ABOUT_LABEL8,
    IDC_ABOUT_LBLWEBURL,
    IDC_ABOUT_LABEL4,
    IDC_ABOUT_LABEL5,
    IDC_ABOUT_LABEL6,
    IDC_ABOUT_LABEL7,
    IDC_ABOUT_COMMAND1,
};

class frm_About : public Form<frm_About> {
  public:
    static constexpr wchar_t kFormName[] = L"frm_About";

    ~frm_About();

    // Shows the About window, modeless and without owner. When it is not open
    // it is loaded now; when it is, the open one comes forward as it is.
    // Null only when the window could not be created.
    static frm_About* Show();

    // The open About window, or null.
    static frm_About* Instance();

    // The controls as designed, in twips, with the texts the load puts in, and
    // the client area: laid out at the screen's dots per inch when it opens.
    static std::vector<FormControl> Controls();
    static SIZE ClientTwips();

    HWND Control(AboutControlId id) const { return ::GetDlgItem(window_, id); }

    void Command1_Click();
    void lblWebURL_Click();

  private:
    frm_About() = default;
    bool Create();
    template <class> friend LRESULT CALLBACK WindowProcFor(HWND, UINT, WPARAM, LPARAM) noexcept;
    void OnFinalMessage();
    static LRESULT CALLBACK WebUrlProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR self) noexcept;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnWebUrlMessage(HWND label, UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id);
    void OnNotify(const NMHDR& header);
    void CreateControls();
    void Form_Load();
    void Form_Unload();

    FocusMemory focus_;
    std::wstring legalNotice_;
    std::wstring disclaimer_;
    FormFonts fonts_;
};
