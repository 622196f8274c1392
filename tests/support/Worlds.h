#pragma once
// The worlds the tests run in, each set up here once:
//   ScratchWorldTest  a temporary folder to be UI-View32's (`host`), HKEY_CURRENT_USER
//                     mapped to an empty scratch key, the modal loops answered, the log
//                     captured;
//   UiViewFolderTest  that folder as UI-View32 leaves it: its registry setting points
//                     there, and SavedXTR is in it;
//   MainWindowTest    the main window started on it as the program starts it, with the
//                     helpers that pick an entry's row and run a command on it.
// A suite adds its own few helpers in a subclass named after it.
#include "app/Form1.h"
#include "host/HostFolder.h"
#include "support/Entries.h"
#include "support/TestSupport.h"
#include "xtr/XtrFile.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ScratchWorldTest : public testing::Test {
  protected:
    // Clears the program's globals that a test changes: the UI-View32 folder,
    // the seams a test fills.
    void SetUp() override;
    void TearDown() override;

    std::wstring Saved() const { return host / L"SavedXTR"; }
    std::wstring InSaved(std::wstring_view name) const { return Saved() + L"\\" + std::wstring(name); }
    std::vector<std::string> Reports() const { return log.Reports(); }

    // The catalogue shown (the main window's), or the one the last Scan() found.
    virtual const XtrCatalogue& Catalogue() const { return scanned; }
    // Scans both folders as a command's rescan does, for a test without a window.
    const XtrCatalogue& Scan();
    // The index of the first entry of that file name (and that active flag, when
    // one is given); 0 when none is listed.
    int IndexOf(std::wstring_view fileName, std::optional<bool> active = std::nullopt) const;
    // The first entry of that file name; the blank element 0, and a failure of
    // the test, when none is listed.
    const XtrRecord& EntryNamed(std::wstring_view fileName) const;

    testsupport::TempFolder host;
    testsupport::ScratchRegistry registry;
    testsupport::ModalAnswers answers;
    testsupport::LogCapture log;
    XtrCatalogue scanned;
    ServerLooks serverLooks;
};

class UiViewFolderTest : public ScratchWorldTest {
  protected:
    void SetUp() override;
};

class MainWindowTest : public UiViewFolderTest {
  protected:
    void TearDown() override;
    const XtrCatalogue& Catalogue() const override { return form ? form->Catalogue() : scanned; }

    // Start-up as the program runs it; the log then goes back to the test's
    // own file, which start-up moved beside the program. False (and a failure)
    // when start-up ends the program.
    bool Start();
    Form2& Editor() { return form->Editor(); }

    // Makes the entry's row current with a left press, as the user does; the
    // first entry of that name when no active flag is given.
    void Pick(std::wstring_view fileName, std::optional<bool> active = std::nullopt);
    // Picks the entry so, then runs the command.
    void OnEntry(std::wstring_view fileName, std::optional<bool> active, void (Form1::*command)());
    // Opens the editor through command, on the entry when one is named.
    void Open(void (Form1::*command)(), std::wstring_view fileName = {},
              std::optional<bool> active = std::nullopt);
    void Edit(std::wstring_view fileName, std::optional<bool> active = std::nullopt) {
        Open(&Form1::mnuPopup1Edit_Click, fileName, active);
    }
    static void Click(HWND button) { ::SendMessageW(button, BM_CLICK, 0, 0); }

    // A right press on grid row `row`, answering the context menu with `choice`.
    void RightPress(int row, UINT choice = 0);
    // Whether the last context menu shown had that item (its caption as it reads) enabled.
    bool ItemEnabled(std::wstring_view caption) const;

    // Gives entry `index` a new file name as the editor's OK does.
    TrapResult Rename(int index, const std::wstring& fileName) const;

    std::unique_ptr<Form1> form;
};
