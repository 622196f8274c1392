#include "rules/AppInfo.h"
#include "rules/Trap.h"
#include "support/Worlds.h"
#include "xtr/Catalogue.h"
#include "rules/HostPaths.h"

using namespace testsupport;

namespace {
// UI-View32's setting is left to each test.
using HostFolderTest = ScratchWorldTest;
} // namespace

TEST_F(HostFolderTest, StoredFolderLosesOneTrailingBackslash) {
    registry.SetHostFolderSetting(host.Path() + L"\\");
    ::CreateDirectoryW(Saved().c_str(), nullptr);
    EXPECT_TRUE(CheckEnv());
    EXPECT_EQ(HostFolder, host.Path());
    EXPECT_TRUE(answers.messages.empty());
}

TEST_F(HostFolderTest, MissingSettingShowsOneMessageAndEnds) {
    EXPECT_EQ(ReadHostFolderSetting(), L"");
    EXPECT_FALSE(CheckEnv());
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_EQ(answers.messages[0].text, L"Can not locate the UIView32 folder");
    EXPECT_EQ(answers.messages[0].title, L"UI-View Quillon V1.1.0");
    EXPECT_EQ(answers.messages[0].flags, static_cast<UINT>(MB_OK | MB_ICONSTOP));
}

TEST_F(HostFolderTest, SettingOfTheWrongTypeIsAFailedRead) {
    HKEY key = nullptr;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, kHostSettingKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr);
    const DWORD number = 7;
    ::RegSetValueExW(key, kHostSettingValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                     sizeof(number));
    ::RegCloseKey(key);

    EXPECT_FALSE(CheckEnv());
    ASSERT_EQ(answers.messages.size(), 2u);
    EXPECT_EQ(answers.messages[0].text.rfind(L"An error occurred getting the UIView folder. The system error "
                                             L"message is '",
                                             0),
              0u);
    EXPECT_EQ(answers.messages[0].text.back(), L'\'');
    EXPECT_EQ(answers.messages[0].title, L"Quillon");
    EXPECT_EQ(answers.messages[1].text, L"Can not locate the UIView32 folder");
}

TEST_F(HostFolderTest, SavedXtrIsCreatedOnceWithItsMessage) {
    registry.SetHostFolderSetting(host.Path() + L"\\");
    EXPECT_TRUE(CheckEnv());
    EXPECT_TRUE(FolderExists(Saved()));
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_EQ(answers.messages[0].text, L"folder SavedXTR is created in UIView32 folder");
    EXPECT_EQ(answers.messages[0].flags, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));

    EXPECT_TRUE(CheckEnv());
    EXPECT_EQ(answers.messages.size(), 1u) << "the second start is silent";
}

// The active entries still work without SavedXTR: start-up goes on, and says why Set Inactive will not.
TEST_F(HostFolderTest, APlainFileNamedSavedXtrIsToldAndLeftAsItIs) {
    registry.SetHostFolderSetting(host.Path());
    WriteBytes(Saved(), "not a folder");
    EXPECT_TRUE(CheckEnv());
    EXPECT_EQ(ReadBytes(Saved()), "not a folder");
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_EQ(answers.messages[0].text,
              L"Quillon cannot keep inactive XTR files in " + Saved() + L": it is a file, not a folder.");
    EXPECT_EQ(answers.messages[0].flags, static_cast<UINT>(MB_OK | MB_ICONSTOP));
}

// Made full once at start-up: nothing later depends on the folder Quillon was started from.
TEST_F(HostFolderTest, ARelativeSettingIsTakenFromTheStartingFolder) {
    ::CreateDirectoryW((host / L"UIV").c_str(), nullptr);
    wchar_t before[MAX_PATH] = L"";
    ::GetCurrentDirectoryW(MAX_PATH, before);
    ::SetCurrentDirectoryW(host.Path().c_str());
    registry.SetHostFolderSetting(L"UIV\\");
    const bool found = CheckEnv();
    ::SetCurrentDirectoryW(before);
    EXPECT_TRUE(found);
    EXPECT_TRUE(EqualsIgnoringCase(HostFolder, host / L"UIV")) << ToAnsi(HostFolder);
    EXPECT_TRUE(FolderExists(host / L"UIV\\SavedXTR"));
}

// HostFolder stays as start-up set it; each scan takes the programs against
// the setting as UI-View32 keeps it then, read once for all its entries.
TEST_F(HostFolderTest, EachScanFollowsTheSettingAsItIsThen) {
    HostFolder = host.Path();
    ::CreateDirectoryW((host / L"Addons").c_str(), nullptr);
    WriteBytes(host / L"Addons\\Tool.exe", "MZ");
    WriteBytes(host / L"a.xtr", "A\r\nAddons\\Tool.exe\r\n");
    WriteBytes(host / L"b.xtr", "B\r\nAddons\\Tool.exe\r\n");
    registry.SetHostFolderSetting(host.Path() + L"\\");
    Scan();
    EXPECT_TRUE(Catalogue().XtrTable[1].programFound && Catalogue().XtrTable[2].programFound);
    registry.SetHostFolderSetting(host / L"Elsewhere\\");
    Scan();
    ASSERT_EQ(Catalogue().XtrCount, 2) << "the files stay where start-up found the folder";
    EXPECT_FALSE(Catalogue().XtrTable[1].programFound || Catalogue().XtrTable[2].programFound);
    EXPECT_EQ(ProgramPathForFileOf(ProgramPathOf(Program(L"C:", L"\\UI-View32\\Addons", L"Tool.exe")),
                                   L"C:\\UI-View32\\"),
              L"Addons\\Tool.exe");
}
