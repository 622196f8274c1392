#include "app/AppInfo.h"
#include "common/Common.h"
#include "common/Trap.h"
#include "common/UTC.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {
class LogTest : public testing::Test {
  protected:
    void SetUp() override {
        SetIdentityTexts({1, 1, 0});
        Common::Initialize();
    }
};

std::string Stamp(const std::string& line) { return line.substr(0, line.find(" > ")); }
} // namespace

TEST_F(LogTest, ARunWithoutErrorsLeavesNoFile) {
    LogCapture log;
    EXPECT_FALSE(FileExists(log.Path()));
}

TEST_F(LogTest, FirstErrorWritesTheHeaderSecondOnlyItsEntry) {
    LogCapture log;
    Common::StartTime = UTC::CurrentTimeOf({2020, 5, 17, 8, 30, 0});
    ReportError(53, L"Form1.Form_Load");
    ReportError(-7, L"Module1.ScanXTR,  Line 8");

    const auto lines = log.Lines();
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[1], "17-May-2020 08:30:00 > TAMBER application : UI-View Quillon V1.1.0");
    EXPECT_EQ(lines[2], "17-May-2020 08:30:00 > Version            : 1.1.0");
    EXPECT_EQ(lines[3], "17-May-2020 08:30:00 > App.Path           : " + ToAnsi(Common::ProgramFolder()));
    EXPECT_NE(lines[3].back(), '\\');
    EXPECT_EQ(lines[4], "17-May-2020 08:30:00 > App.exe            : quillon_tests");
    EXPECT_EQ(lines[5], "17-May-2020 08:30:00 > Operating System   : Vista build 7601"); // Wine's Windows 7
    EXPECT_EQ(lines[6], "17-May-2020 08:30:00 > Country            : United States");
    EXPECT_EQ(lines[7], "17-May-2020 08:30:00 > Language           : English (United States)");
    for (int i = 1; i <= 7; ++i) {
        EXPECT_EQ(Stamp(lines[i]), "17-May-2020 08:30:00");
    }
    EXPECT_NE(Stamp(lines[8]), "17-May-2020 08:30:00") << "entries carry the time of writing";
    EXPECT_EQ(lines[8].substr(20), " > program error 53 in module Form1.Form_Load: File not found");
    EXPECT_EQ(lines[9].substr(20), " > program error -7 in module Module1.ScanXTR,  Line 8: "
                                   "Application-defined or object-defined error");
    EXPECT_EQ(log.Text().back(), '\n');
    EXPECT_EQ(log.Text().find("\n\n"), std::string::npos) << "every line ends in CR LF";
}

TEST_F(LogTest, TrapReportsTheNumberAndLabelAndTheCallerGoesOn) {
    LogCapture log;
    int marker = 0;
    const bool completed = Trap(L"Module1.ReadXTR sourceline = ", marker, [&] {
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
    EXPECT_EQ(lines[9].substr(20), " >    UTCTime.wYear   = 2026");
    EXPECT_EQ(lines[10].substr(20), " >    UTCTime.wMonth  = 13");
    EXPECT_EQ(lines[14].substr(20), " >    UTCTime.wSecond = 3");
}

TEST(LocaleInfo, UserLocaleTextsAreThoseOfTheSystem) {
    EXPECT_EQ(LocaleInfo::GetUserLocaleInfo(0x409, LOCALE_SCOUNTRY), L"United States");
    EXPECT_EQ(LocaleInfo::GetUserLocaleInfo(0x409, 0xFFFF), L"") << "an unknown item gives empty text";
    // A one-character text: the needed length is 2 and one character remains.
    EXPECT_EQ(LocaleInfo::GetUserLocaleInfo(0x409, LOCALE_IDIGITS), L"2");
}
