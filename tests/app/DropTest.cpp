// Files dropped on the main window from Explorer, each drop a real HDROP
// posted to the real window.
#include "rules/AppInfo.h"
#include "support/Worlds.h"
#include "system/VersionInfo.h"
#include "xtr/Catalogue.h"

#include <shlobj.h>

#include <algorithm>

using namespace testsupport;

namespace {
constexpr char kA[] = "Tool A\r\na.exe\r\nTrue\r\nFalse\r\n";
constexpr char kOld[] = "Old tool\r\nold.exe\r\nFalse\r\nFalse\r\n";

class DropTest : public MainWindowTest {
  protected:
    // Drops the files on the main window as the shell does, and lets it act.
    void Drop(const Names& paths) {
        std::wstring list;
        for (const std::wstring& path : paths) {
            list += path + L'\0';
        }
        list += L'\0';
        HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
        auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
        *drop = {sizeof(DROPFILES), {}, FALSE, TRUE};
        std::copy(list.begin(), list.end(), reinterpret_cast<wchar_t*>(drop + 1));
        ::GlobalUnlock(memory);
        ::PostMessageW(form->Window(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
        PumpMessages();
    }

    TempFolder outside; // where Explorer drops from
};
} // namespace

TEST_F(DropTest, XtrFilesAreInstalledByteForByteAndWhatIsNotIsNamedInOneMessage) {
    const std::string odd = std::string("Odd\r\nbytes\n\x01\xff") + '\0';
    WriteBytes(outside / L"Odd.XTR", odd);
    WriteBytes(outside / L"notes.txt", kA);
    WriteBytes(outside / L"empty.xtr", "");
    WriteBytes(outside / L"long.xtr", std::string(64 * 1024, 'x') + "\r\n"); // its line ends too late
    ::CreateDirectoryW((outside / L"folder.xtr").c_str(), nullptr);
    WriteBytes(outside / L"busy.xtr", kA);
    WriteBytes(host / L"busy.xtr", kOld);
    Start();
    ::SetFileAttributesW((host / L"busy.xtr").c_str(), FILE_ATTRIBUTE_READONLY); // cannot be replaced
    answers.messageReplies = {IDYES};
    const std::uint32_t rescans = form->RescanCount();
    Drop({outside / L"empty.xtr", outside / L"Odd.XTR", outside / L"notes.txt", outside / L"long.xtr",
          outside / L"folder.xtr", outside / L"busy.xtr", host / L"busy.xtr"});

    EXPECT_EQ(ReadBytes(host / L"Odd.XTR"), odd);
    EXPECT_EQ(ReadBytes(host / L"busy.xtr"), kOld);
    EXPECT_EQ(NamesIn(host.Path()), (Names{L"Odd.XTR", L"SavedXTR", L"busy.xtr"}))
        << "nothing else, no temporary";
    EXPECT_NE(IndexOf(L"Odd.XTR", true), 0);
    EXPECT_EQ(form->grdXTRs().Row(), IndexOf(L"Odd.XTR", true)) << "the first file installed is current";
    EXPECT_EQ(form->RescanCount() - rescans, 1u);
    EXPECT_EQ(Reports(),
              (std::vector<std::string>{"70 in module Form1.Form_DragDrop: Permission denied",
                                        "52 in module Module1.ScanXTR,  Line 8: Bad file name or number"}))
        << "the rescan finds Odd.XTR's program a name the system refuses";
    ASSERT_EQ(answers.messages.size(), 2u) << "the question for busy.xtr, then one message";
    EXPECT_EQ(answers.messages[1].flags, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    const std::wstring& told = answers.messages[1].text;
    for (const wchar_t* line :
         {L"\nempty.xtr: ", L"\nlong.xtr: ", L"\nfolder.xtr: ",
          L"\nbusy.xtr: it could not be copied (busy.xtr in the UI-View32 folder is read-only)"}) {
        EXPECT_NE(told.find(line), std::wstring::npos) << ToAnsi(line);
    }
    EXPECT_EQ(std::count(told.begin(), told.end(), L'\n'), 5) << "a line per file";
}

TEST_F(DropTest, ASameNamedFileIsReplacedOnlyWhenTheUserSaysYes) {
    WriteBytes(host / L"a.xtr", kOld);
    WriteBytes(InSaved(L"b.xtr"), kOld);
    WriteBytes(outside / L"a.xtr", kA);
    WriteBytes(outside / L"b.xtr", kA);
    Start();
    answers.messageReplies = {IDNO, IDYES};
    Drop({outside / L"a.xtr", outside / L"b.xtr"});
    ASSERT_EQ(answers.messages.size(), 3u) << "two questions, then what was skipped";
    EXPECT_EQ(answers.messages[0].text,
              L"a.xtr already exists in the UI-View32 folder. Do you want to replace it?");
    EXPECT_EQ(answers.messages[0].flags, static_cast<UINT>(MB_YESNO | MB_DEFBUTTON2));
    EXPECT_EQ(answers.messages[1].text, L"b.xtr already exists in SavedXTR. Do you want to replace it?");
    EXPECT_NE(answers.messages[2].text.find(L"\na.xtr: skipped"), std::wstring::npos);
    EXPECT_EQ(answers.messages[2].text.find(L"b.xtr"), std::wstring::npos);
    EXPECT_EQ(ReadBytes(host / L"a.xtr"), kOld);
    EXPECT_EQ(ReadBytes(host / L"b.xtr"), kA) << "the dropped one, active";
    EXPECT_TRUE(NamesIn(Saved()).empty()) << "and only it";
}

TEST_F(DropTest, AProgramDroppedAloneOpensTheEditorAsNewForIt) {
    ::CreateDirectoryW((host / L"Addons").c_str(), nullptr);
    ASSERT_TRUE(::CopyFileW(OwnModulePath().c_str(), (host / L"Addons\\Tracker.exe").c_str(), FALSE));
    WriteBytes(outside / L"plain.exe", "MZ"); // no version information
    Start();
    Drop({host / L"Addons\\Tracker.exe"});
    Form2& editor = Editor();
    EXPECT_EQ(editor.CurrentIndex, -1) << "a new entry";
    EXPECT_EQ(ShownText(editor.txtTitle()), ReadProgramVersionString(L"FileDescription"));
    EXPECT_EQ(ShownText(editor.txtFilename()), L"Tracker.xtr");
    EXPECT_EQ(ShownText(editor.txtProgram()), L"Addons\\Tracker.exe");
    EXPECT_TRUE(::IsWindowEnabled(editor.cmdOK()));
    EXPECT_EQ(NamesIn(host.Path()), (Names{L"Addons", L"SavedXTR"})) << "nothing written before OK";

    Drop({outside / L"plain.exe"}); // the open editor, unchanged, is filled in for it
    EXPECT_EQ(ShownText(editor.txtTitle()) + L"|" + ShownText(editor.txtProgram()),
              L"plain|" + (outside / L"plain.exe"));
    ::SetWindowTextW(editor.txtTitle(), L"Mine");
    Drop({host / L"Addons\\Tracker.exe"}); // changed, it is asked first; Cancel keeps it
    EXPECT_EQ(answers.messages.back().text, L"Do you want to save changes to plain.xtr?");
    EXPECT_EQ(ShownText(editor.txtTitle()), L"Mine");
}
