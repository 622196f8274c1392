#include "app/resource.h"
#include "common/Ui.h"
#include "xtr/FileOps.h"
#include "xtr/XtrFile.h"

#include "HardeningFixture.h"

using namespace testsupport;

namespace {
constexpr char kOld[] = "Old tool\r\nC:\\tools\\old.exe\r\nTrue\r\nFalse\r\n";
constexpr char kOther[] = "Other tool\r\nother.exe\r\nFalse\r\nTrue\r\n";

using Names = std::vector<std::wstring>;
} // namespace

TEST_F(HardeningTest, DeletingAFileInUseIsReportedAndKeepsIt) {
    WriteBytes(host / L"a.xtr", kOld);
    Start();
    const UniqueFile holder = HoldOpen(host / L"a.xtr");
    ASSERT_TRUE(static_cast<bool>(holder));
    answers.messageReplies = {IDYES};
    OnEntry(L"a.xtr", true, &Form1::mnuPopup1Delete_Click);
    EXPECT_EQ(Reports(), std::vector<std::string>{"70 in module Module1.DeleteXTR: Permission denied"});
    EXPECT_EQ(NamesIn(host.Path()), (Names{L"SavedXTR", L"a.xtr"}));
    EXPECT_EQ(answers.messages.size(), 1u) << "only the question";
}

TEST_F(HardeningTest, AReplaceThatFailsAfterTheTemporaryFileLeavesTheOldFileAndNoTrace) {
    WriteBytes(host / L"a.xtr", kOld);
    Start();
    std::vector<std::wstring> replaced;
    Ui::TestHooks().replaceFileWith = [&](const std::wstring& source, const std::wstring& target) {
        replaced.push_back(ReadBytes(source).substr(0, 9) == "New title" ? target : L"?");
        ::SetLastError(ERROR_DISK_FULL);
        return false;
    };
    CurrentIndex = 1;
    XtrTable[1].title = L"New title";
    EXPECT_FALSE(ContentChanged());
    ASSERT_EQ(replaced, Names{host / L"a.xtr"}) << "the temporary file held the whole new text";
    EXPECT_EQ(ReadBytes(host / L"a.xtr"), kOld);
    EXPECT_EQ(NamesIn(host.Path()), (Names{L"SavedXTR", L"a.xtr"}));

    // A rename goes through the same step: neither name is lost or left half made.
    OldRecord = XtrTable[1];
    XtrTable[1].fileName = L"b.xtr";
    EXPECT_FALSE(FilenameChanged());
    EXPECT_EQ(ReadBytes(host / L"a.xtr"), kOld);
    EXPECT_EQ(NamesIn(host.Path()), (Names{L"SavedXTR", L"a.xtr"}));
    EXPECT_EQ(Reports(), (std::vector<std::string>{"61 in module Module1.ContentChanged: Disk full",
                                                   "61 in module Module1.ContentChanged: Disk full"}));
}

TEST_F(HardeningTest, ChangingTheLetterCaseOfAFileInUseLeavesItAsItWas) {
    WriteBytes(host / L"a.xtr", kOld);
    Start();
    {
        const UniqueFile holder = HoldOpen(host / L"a.xtr");
        ASSERT_TRUE(static_cast<bool>(holder));
        CurrentIndex = 1;
        OldRecord = XtrTable[1];
        XtrTable[1].fileName = L"A.xtr";
        EXPECT_FALSE(FilenameChanged());
    }
    EXPECT_EQ(Reports(), std::vector<std::string>{"70 in module Module1.FilenameChanged: Permission denied"});
    EXPECT_EQ(NamesIn(host.Path()), (Names{L"SavedXTR", L"a.xtr"}));
    EXPECT_EQ(ReadBytes(host / L"a.xtr"), kOld);
}
