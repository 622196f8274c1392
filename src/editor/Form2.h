#pragma once
// The editor dialog: views, edits or creates one XTR entry and applies the
// changes to the disk. One instance, never modal.
#include "rules/Trap.h"
#include "rules/XtrRecord.h"
#include "toolkit/Form.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The windows' state: the entry the main window's commands act on (-1 while
// the editor creates a new file), and the entry as the editor loaded it,
// before any change. Nothing below the windows reads them: an operation is
// told what it acts on.
extern std::int16_t CurrentIndex;
extern XtrRecord OldRecord;

class Form2 : public Form<Form2> {
  public:
    static constexpr wchar_t kFormName[] = L"Form2";
    // OK and Quit carry the ids that Enter and Esc send through dialog navigation.
    enum ControlId : int {
        kTxtTitle = 101,
        kTxtFilename,
        kTxtProgram,
        kCmdBrowse,
        kCmbAutoStart,
        kCmbAutoShutdown,
        kCmbActive,
        kCmdQuit = IDCANCEL,
        kCmdOK = IDOK,
    };

    Form2() = default;

    // Loads the dialog when it is not open: the window is created and Form_Load
    // fills it from CurrentIndex. An open dialog keeps what its boxes show.
    void Load();
    // Loads the dialog when needed, shows it without making it modal and brings it to the front.
    void Show();
    bool IsLoaded() const { return window_ != nullptr; }

    HWND txtTitle() const { return Control(kTxtTitle); }
    HWND txtFilename() const { return Control(kTxtFilename); }
    HWND txtProgram() const { return Control(kTxtProgram); }
    HWND cmdBrowse() const { return Control(kCmdBrowse); }
    HWND cmbAutoStart() const { return Control(kCmbAutoStart); }
    HWND cmbAutoShutdown() const { return Control(kCmbAutoShutdown); }
    HWND cmbActive() const { return Control(kCmbActive); }
    HWND cmdQuit() const { return Control(kCmdQuit); }
    HWND cmdOK() const { return Control(kCmdOK); }

    // The controls as designed, in twips, and the client area: laid out at the
    // screen's dots per inch when the dialog loads.
    static std::vector<FormControl> Controls();
    static SIZE ClientTwips();

    // The entry OK applies to: the index the dialog loaded, or -1 when it was opened by New.
    std::int16_t TargetIndex() const { return loadedIndex_; }

    void Form_Load();
    void cmdBrowse_Click();
    void cmdOK_Click();
    void cmdQuit_Click();

    // True when the text, in upper case, is exactly "YES".
    static bool YesNo(std::wstring_view text);

  private:
    friend class Form<Form2>;
    // Enter reaches OK through dialog navigation even while OK is disabled
    // (View): a disabled button never acts. While OK applies, the grid rebuild
    // lets messages through: a second OK or a Quit waits for it.
    void OnOK();
    void OnCancel();
    void OnCommand(int id, int code);
    HWND FocusFallback() const { return txtTitle(); }

    XtrRecord EditedRecord() const;
    bool CodePageHolds(const XtrRecord& edited) const;

    // A text box cannot hold every text a file may (it ends at a NUL): a box
    // the user left as it was loaded stands for the text it was loaded with,
    // so that OK without a change writes nothing.
    class BoxText {
      public:
        void Show(HWND box, const std::wstring& text);
        std::wstring Text(HWND box) const;

      private:
        std::wstring meant_;
        std::wstring shown_;
    };

    BoxText title_;
    BoxText program_;
    std::int16_t loadedIndex_ = -1;
    bool applying_ = false;
};
