#include "diagnostics/Common.h"
#include "diagnostics/UTC.h"
#include "rules/AppInfo.h"
#include "rules/OsName.h"
#include "rules/Trap.h"
#include "rules/resource.h"
#include "support/TestSupport.h"
#include "support/Worlds.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {
class LogTest : public testing::Test {
  protected:
    void SetUp() override { Common::Initialize(); }
};

std::string Stamp(const std::string& line) { return line.substr(0, line.find(" > ")); }
std::string Entry(const std::string& line) { return line.substr(line.find(" > ")); }

// A locale's text as the system gives it here (names follow the system's display language).
std::wstring SystemLocaleText(LCID locale, LCTYPE item) {
    wchar_t text[128];
    const int length = ::GetLocaleInfoW(locale, item, text, 128);
    return length > 1 ? std::wstring(text, static_cast<size_t>(length - 1)) : std::wstring();
}

// The operating system as the header names it, from what the system reports here.
std::string OsLine() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
#endif
    ::GetVersionExW(&info);
    return AnsiBytes(
               OsNameFor(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber)) +
           " build " + std::to_string(info.dwBuildNumber);
}
} // namespace

// A whole run without an error, from start-up through an edit saved and a
// refresh: nothing was written to any log, and no log file was made.
using LogRunTest = MainWindowTest;
TEST_F(LogRunTest, ARunWithoutErrorsLeavesNoFile) {
    WriteBytes(host / L"a.xtr", "Tool A\r\na.exe\r\nTrue\r\nFalse\r\n");
    ASSERT_TRUE(Start());
    Edit(L"a.xtr");
    ::SetWindowTextW(Editor().txtTitle(), L"Tool A, edited");
    Click(Editor().cmdOK());
    form->OnCommand(IDM_VIEW_REFRESH);
    ASSERT_EQ(LinesOf(host / L"a.xtr").at(0), "Tool A, edited");
    EXPECT_FALSE(Common::LogHeaderWritten) << "nothing reached the log";
    EXPECT_FALSE(FileExists(log.Path()));
}

TEST_F(LogTest, FirstErrorWritesTheHeaderSecondOnlyItsEntry) {
    LogCapture log;
    Common::StartTime = UTC::CurrentTimeOf({2020, 5, 17, 8, 30, 0});
    ReportError(53, L"Form1.Form_Load");
    ReportError(-7, L"Module1.ScanXTR,  Line 8");

    const auto lines = log.Lines();
    ASSERT_EQ(lines.size(), 10u);
    // The month as the user's locale abbreviates it; country and language as the system names them.
    const std::string start =
        "17-" + AnsiBytes(SystemLocaleText(LOCALE_USER_DEFAULT, LOCALE_SABBREVMONTHNAME5)) + "-2020 08:30:00";
    const LCID user = ::GetUserDefaultLCID();
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[1], start + " > TAMBER application : UI-View Quillon V1.1.0");
    EXPECT_EQ(lines[2], start + " > Version            : 1.1.0");
    EXPECT_EQ(lines[3], start + " > App.Path           : " + ToAnsi(std::wstring(FolderOf(OwnModulePath()))));
    EXPECT_NE(lines[3].back(), '\\');
    EXPECT_EQ(lines[4], start + " > App.exe            : quillon_tests");
    EXPECT_EQ(lines[5], start + " > Operating System   : " + OsLine());
    EXPECT_EQ(lines[6],
              start + " > Country            : " + AnsiBytes(SystemLocaleText(user, LOCALE_SCOUNTRY)));
    EXPECT_EQ(lines[7],
              start + " > Language           : " + AnsiBytes(SystemLocaleText(user, LOCALE_SLANGUAGE)));
    for (int i = 1; i <= 7; ++i) {
        EXPECT_EQ(Stamp(lines[i]), start);
    }
    EXPECT_NE(Stamp(lines[8]), start) << "entries carry the time of writing";
    EXPECT_EQ(Entry(lines[8]), " > program error 53 in module Form1.Form_Load: File not found");
    EXPECT_EQ(Entry(lines[9]), " > program error -7 in module Module1.ScanXTR,  Line 8: "
                               "Application-defined or object-defined error");
    EXPECT_EQ(log.Text().back(), '\n');
    EXPECT_EQ(log.Text().find("\n\n"), std::string::npos) << "every line ends in CR LF";
}

TEST_F(LogTest, TrapReportsTheNumberAndLabelAndTheCallerGoesOn) {
    LogCapture log;
    int marker = 0;
    const TrapResult completed = Trap(L"Module1.ReadXTR sourceline = ", marker, [&] {
        marker = 100;
        Raise(53);
    });
    EXPECT_FALSE(completed);
    EXPECT_NE(log.Lines().back().find("in module Module1.ReadXTR sourceline = 100: File not found"),
              std::string::npos);
}

TEST_F(LogTest, UnwritableProgramFolderFallsBackToLocalAppData) {
    LogCapture log;
    Common::ErrorLogPathname = log.Path() + L"\\no-such-folder\\ErrorLog.txt";
    const std::wstring fallback = Common::FallbackLogPathname();
    const size_t before = ReadBytes(fallback).size();
    ReportError(70, L"Module1.ActiveChanged");
    const std::string after = ReadBytes(fallback);
    ASSERT_GT(after.size(), before);
    EXPECT_NE(after.find("Module1.ActiveChanged: Permission denied", before), std::string::npos);
}

TEST_F(LogTest, AClockFailureLogsTheReadingAndReturnsZero) {
    LogCapture log;
    EXPECT_EQ(UTC::CurrentTimeOf({2026, 13, 40, 1, 2, 3}), 0.0);
    const auto lines = log.Lines();
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_NE(lines[8].find("in module UTC.CurrentTime, State = 2: Invalid procedure call or argument"),
              std::string::npos);
    EXPECT_EQ(Entry(lines[9]), " >    UTCTime.wYear   = 2026");
    EXPECT_EQ(Entry(lines[10]), " >    UTCTime.wMonth  = 13");
    EXPECT_EQ(Entry(lines[14]), " >    UTCTime.wSecond = 3");
}

TEST(LocaleInfo, UserLocaleTextsAreThoseOfTheSystem) {
    const std::wstring country = SystemLocaleText(0x409, LOCALE_SCOUNTRY);
    ASSERT_FALSE(country.empty());
    EXPECT_EQ(LocaleInfo::GetUserLocaleInfo(0x409, LOCALE_SCOUNTRY), country);
    EXPECT_EQ(LocaleInfo::GetUserLocaleInfo(0x409, 0xFFFF), L"") << "an unknown item gives empty text";
    // A one-character text: the needed length is 2 and one character remains.
    EXPECT_EQ(LocaleInfo::GetUserLocaleInfo(0x409, LOCALE_IDIGITS), L"2");
}
