#pragma once
// The editor dialog: views, edits or creates one XTR entry and applies the
// changes to the disk. One instance, never modal.
#include "rules/XtrRecord.h"
#include "toolkit/Form.h"
#include "xtr/Catalogue.h"
#include "xtr/EntryChanges.h"

#include <array>
#include <functional>
#include <cstdint>
#include <string>
#include <vector>

// What the editor's boxes start with for a new entry.
struct NewEntryBoxes {
    std::wstring title = L"your description";
    std::wstring fileName = L"new_xtr.xtr";
    std::wstring program;
};

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

    // View, Edit and New: the dialog shows entry, the catalogue's entry at
    // index (-1 and null: a new one, its boxes as `blank` says), with OK and
    // browse enabled when it may save, and comes to the front. The caller has
    // asked about what was typed (MayLeave); the entry already open, chosen
    // again, keeps its changed boxes.
    void Open(std::int16_t index, const XtrRecord* entry, bool saving, const NewEntryBoxes& blank = {});
    bool IsLoaded() const { return window_ != nullptr; }
    // Whether the dialog is open on that entry's file (a new entry has none).
    bool Holds(const XtrRecord& entry) const;
    // Quillon moved the open entry's file into the other folder: the dialog
    // follows it, so that OK sees the file where it now is.
    void FollowMove(bool active);
    // Closes the dialog, asking first whether to save what was typed in it;
    // false when the user keeps it open (Cancel, or a save that did not happen).
    bool CloseAsking();
    // Whether another entry (next; null for a new one) may be loaded: what was
    // typed is saved or dropped as the user answers "Do you want to save
    // changes to <file>?". False for Cancel, or a save that did not happen:
    // the typing stays. An editor opened by View, or nothing typed: true.
    // Unless closing, a save keeps the window for the entry loaded next.
    bool MayLeave(const XtrRecord* next, bool closing = false);
    // Something was typed into an editor that may save it.
    bool HasTyping() const;

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
    static constexpr SIZE kClientTwips{8400, 3600};

    // What the dialog holds: the index of the entry it loaded (-1 while it
    // creates a new one), and that entry as loaded, before any change. The
    // main window's presses do not move them: OK applies to this entry.
    std::int16_t CurrentIndex = -1;
    XtrRecord OldRecord;

    // Told once OK has changed files, or failed to: the main window rescans,
    // the user's place on the entry saved (or, after a failure, the one loaded;
    // row 0: the current row).
    std::function<void(const CataloguePlace&)> Applied;

  private:
    friend class Form<Form2>;
    // Enter reaches OK through dialog navigation even while OK is disabled
    // (View): a disabled button never acts. While OK applies, the grid rebuild
    // lets messages through: a second OK or a Quit waits for it.
    void OnOK();
    void OnCancel();
    void OnCommand(int id, int code);
    HWND FocusFallback() const { return txtTitle(); }

    // Fills the boxes from OldRecord, or blank ones for a new entry.
    void Form_Load();
    void Show();
    XtrRecord EditedRecord() const;
    bool CodePageHolds(const XtrRecord& edited) const;

    // What every box shows, the combo boxes' choices among them.
    using Boxes = std::array<std::wstring, 6>;
    Boxes BoxesNow() const;
    // OK: saves what the boxes say, and the dialog closes when closing; how that ended.
    ChangeEnd Apply(bool closing);

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
    NewEntryBoxes blank_;
    Boxes loaded_;
    bool applying_ = false;
};
