#pragma once
// The main window: start-up, the catalogue grid and the menus.
#include "editor/Form2.h"
#include "toolkit/Form.h"
#include "toolkit/Grid.h"
#include "xtr/Catalogue.h"

#include <shellapi.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class Form1 : public Form<Form1> {
  public:
    static constexpr wchar_t kFormName[] = L"Form1";
    enum ControlId : int { kLabel1 = 101, kGrdXTRs };

    // Creates the (hidden) main window, whose load handler runs the whole
    // start-up. Returns false when the program ends during start-up (the user
    // has been told why); no window is left then.
    bool Create(HINSTANCE instance);

    Grid& grdXTRs() { return grdXTRs_; }
    const Grid& grdXTRs() const { return grdXTRs_; }
    HMENU Popup1() const { return ::GetSubMenu(popupMenus_.get(), 0); }
    // The editor dialog; its window exists only while it is loaded.
    Form2& Editor() { return form2_; }

    // The controls as designed, in twips, and the client area: laid out at the
    // screen's dots per inch at start-up.
    static std::vector<FormControl> Controls();
    static constexpr SIZE kClientTwips{11550, 6045};

    // Keyboard handling that must run before a message is dispatched
    // (the F5 accelerator, dialog navigation in modeless windows).
    bool PreTranslateMessage(MSG& message) const;

    // Runs the message loop until the program ends; returns the exit code.
    int RunMessageLoop();

    // The catalogue shown, as the last scan found it: grid row r shows entry r.
    const XtrCatalogue& Catalogue() const { return catalogue_; }
    // Reads both folders again and shows them with the current row on place:
    // what ends start-up, Refresh and every command that changes files. The
    // grid shows the old rows until the new ones are complete, in one step.
    void Rescan(CataloguePlace place);
    // The place of the current row now: its entry's folder and file name, and the row.
    CataloguePlace CurrentPlace() const;
    // How many rescans this window has made: a command makes one, at its end.
    std::uint32_t RescanCount() const { return rescans_; }

    // Commands, as the menus, the grid and the keyboard reach them.
    static constexpr int kLeftButton = 1;
    static constexpr int kRightButton = 2;
    void OnCommand(int id, int code = 0);
    void grdXTRs_MouseDown(int button, POINT screenPoint);
    void mnuPopup1View_Click();
    void mnuPopup1Edit_Click();
    void mnuPopup1New_Click();
    void mnuPopup1Delete_Click();
    void mnuPopup1SetActive_Click();
    void mnuPopup1SetInactive_Click();
    void mnuViewRefresh_Click();
    void mnuHelpCheckUpdates_Click();
    void mnuFileExit_Click();
    void mnuHelpAbout_Click();
    // Files dropped on the window from Explorer: XTR files are installed, a
    // program dropped alone opens the editor for it.
    void Form_DragDrop(HDROP drop);

  private:
    friend class Form<Form1>;
    GridCell CellAt(int row, int col) const;
    void ShowCatalogue();
    void InvertActive(const wchar_t* label);
    void OpenEditorForProgram(const std::wstring& path);
    void OpenEditor(int row, bool saving, const NewEntryBoxes& blank = {});

    bool OnCreate(const FormLayout& layout, int dpi);
    // No smaller than designed, or than the screen's work area where that is smaller.
    void KeepDesignedSize(MINMAXINFO& limits) const;
    std::optional<LRESULT> OnNotify(NMHDR& header);
    // Back from a question or another window, the keyboard finds the grid where it left it.
    HWND FocusFallback() const { return grdXTRs_.Window(); }
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool Form_Load();

    Grid grdXTRs_;
    RECT gridMargins_{};  // in pixels: the grid's designed place, and its right and bottom margins
    SIZE designedSize_{}; // the window's, in pixels
    UniqueMenu popupMenus_;
    HACCEL accelerators_ = nullptr;
    Form2 form2_;
    XtrCatalogue catalogue_;
    // Kept between commands: a look at a network share that outlives its scan
    // keeps the next scans from starting another at the same share.
    ServerLooks serverLooks_;
    std::uint32_t rescans_ = 0;
};
