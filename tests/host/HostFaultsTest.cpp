// Faults of the UI-View32 folder and of the log's places: a setting that leads
// nowhere or to a file, an empty one, one spelled oddly, a log that
// cannot be written anywhere.
#include "diagnostics/Common.h"
#include "rules/resource.h"
#include "support/Worlds.h"
#include "xtr/Catalogue.h"

using namespace testsupport;

namespace {
using HostFaultsTest = MainWindowTest;
} // namespace

// Start-up's own steps, with the log already captured. Each setting that
// leads to no folder (gone, quoted, a file) is told once, as UI-View32
// recorded it, and start-up goes on, writing nothing.
TEST_F(HostFaultsTest, ASettingThatLeadsToNoFolderIsOneReportOneMessageAndAnEmptyCatalogue) {
    WriteBytes(host / L"uiview.exe", "MZ");
    const std::pair<std::wstring, std::wstring> settings[] = {
        {host / L"gone\\", L"Path not found."},
        {L"\"" + host.Path() + L"\\\"", L""},
        {host / L"uiview.exe", L"it is a file, not a folder."}};
    for (const auto& [recorded, reason] : settings) {
        registry.SetHostFolderSetting(recorded);
        answers.messages.clear();
        const size_t reportsBefore = Reports().size();
        EXPECT_TRUE(CheckEnv());
        Scan();
        EXPECT_EQ(Catalogue().XtrCount, 0);
        ASSERT_GT(Reports().size(), reportsBefore) << ToAnsi(recorded);
        if (!reason.empty()) {
            EXPECT_EQ(Reports().size(), reportsBefore + 1)
                << "the scan lists nothing there, it does not fail";
        }
        EXPECT_NE(Reports()[reportsBefore].find(" in module Module1.CheckEnv: "), std::string::npos);
        ASSERT_EQ(answers.messages.size(), 1u) << ToAnsi(recorded);
        const std::wstring told =
            L"Quillon cannot use the UI-View32 folder " + recorded + L" that UI-View32 recorded: " + reason;
        EXPECT_EQ(answers.messages[0].text.substr(0, told.size()), told);
    }
    EXPECT_EQ(Reports()[0], "76 in module Module1.CheckEnv: Path not found");
    EXPECT_EQ(ReadBytes(host / L"uiview.exe"), "MZ");
    EXPECT_EQ(NamesIn(host.Path()), (Names{L"SavedXTR", L"uiview.exe"}));
}

TEST_F(HostFaultsTest, AnEmptySettingEndsStartUpWithItsMessage) {
    registry.SetHostFolderSetting(L"");
    Form1 start;
    EXPECT_FALSE(start.Create(::GetModuleHandleW(nullptr)));
    EXPECT_EQ(start.Window(), nullptr);
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_EQ(answers.messages[0].text, L"Can not locate the UIView32 folder");
}

// The folder as Windows reads the setting: a backslash too many, trailing blanks or a trailing dot name it
// too, and the programs are joined to it.
TEST_F(HostFaultsTest, TheSettingNamesTheFolderWindowsReadsInIt) {
    WriteBytes(host / L"a.xtr", "A\r\na.exe\r\nTrue\r\nTrue\r\n");
    WriteBytes(host / L"b.xtr", "B\r\nb.exe\r\nTrue\r\nTrue\r\n");
    WriteBytes(host / L"a.exe", "MZ");
    WriteBytes(host / L"b.exe", "MZ");
    for (const std::wstring& setting : {host.Path() + L"\\\\", host.Path() + L"\\  ", host.Path() + L"."}) {
        registry.SetHostFolderSetting(setting);
        Start();
        EXPECT_EQ(HostFolder, host.Path());
        ASSERT_EQ(Catalogue().XtrCount, 2) << ToAnsi(setting);
        EXPECT_TRUE(Catalogue().XtrTable[1].programFound && Catalogue().XtrTable[2].programFound);
    }
    EXPECT_TRUE(Reports().empty());
    EXPECT_TRUE(answers.messages.empty());
}

TEST_F(HostFaultsTest, WithNeitherLogPlaceWritableTheProgramGoesOnSilently) {
    WriteBytes(host / L"a.xtr", "A\r\na.exe\r\nTrue\r\nTrue\r\n");
    Start();
    Common::ErrorLogPathname = host / L"no-such-folder\\ErrorLog.txt";
    const std::wstring fallback = Common::FallbackLogPathname();
    UniqueFile(::CreateFileW(fallback.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::string before = ReadBytes(fallback);
    {
        // Held by another program: the fallback cannot be written either.
        const UniqueFile holder = HoldOpen(fallback);
        ASSERT_TRUE(static_cast<bool>(holder));
        const UniqueFile inUse = HoldOpen(host / L"a.xtr");
        answers.messageReplies = {IDYES};
        OnEntry(L"a.xtr", true, &Form1::mnuPopup1Delete_Click); // fails, and its report goes nowhere
        ASSERT_EQ(answers.messages.size(), 2u) << "the question, then why it failed";
        EXPECT_EQ(answers.messages[1].text,
                  L"The XTR file a.xtr could not be deleted: it is in use by another program.");
        EXPECT_TRUE(FileExists(host / L"a.xtr"));

        form->OnCommand(IDM_VIEW_REFRESH); // the program still answers
        EXPECT_EQ(Catalogue().XtrCount, 1);
    }
    EXPECT_FALSE(FolderExists(host / L"no-such-folder"));
    EXPECT_EQ(ReadBytes(fallback), before) << "the line is lost, not half written";
}
