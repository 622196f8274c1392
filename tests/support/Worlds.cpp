#include "support/Worlds.h"

#include "diagnostics/Common.h"

void ScratchWorldTest::SetUp() { HostFolder.clear(); }

const XtrCatalogue& ScratchWorldTest::Scan() {
    scanned = ScanXTR(ReadHostFolderSetting(), serverLooks);
    return scanned;
}

int ScratchWorldTest::IndexOf(std::wstring_view fileName, std::optional<bool> active) const {
    const XtrCatalogue& catalogue = Catalogue();
    for (int i = 1; i <= catalogue.XtrCount; ++i) {
        const XtrRecord& entry = catalogue.XtrTable[static_cast<size_t>(i)];
        if (entry.fileName == fileName && (!active || entry.active == *active)) {
            return i;
        }
    }
    return 0;
}

const XtrRecord& ScratchWorldTest::EntryNamed(std::wstring_view fileName) const {
    const int index = IndexOf(fileName);
    EXPECT_GT(index, 0) << "no entry " << testing::PrintToString(std::wstring(fileName));
    return Catalogue().XtrTable[static_cast<size_t>(index)];
}

void ScratchWorldTest::TearDown() {
    Ui::TestHooks().moveFile = nullptr;
    Ui::TestHooks().recycleFile = nullptr;
    testsupport::PumpMessages();
}

void UiViewFolderTest::SetUp() {
    ScratchWorldTest::SetUp();
    registry.SetHostFolderSetting(host.Path() + L"\\");
    ::CreateDirectoryW(Saved().c_str(), nullptr);
}

void MainWindowTest::TearDown() {
    form.reset();
    UiViewFolderTest::TearDown();
}

bool MainWindowTest::Start() {
    form = std::make_unique<Form1>();
    const bool started = form->Create(::GetModuleHandleW(nullptr));
    Common::ErrorLogPathname = log.Path();
    EXPECT_TRUE(started) << "start-up ended the program";
    return started;
}

void MainWindowTest::Pick(std::wstring_view fileName, std::optional<bool> active) {
    const int row = IndexOf(fileName, active);
    ASSERT_GT(row, 0) << ToAnsi(fileName) << " is not listed";
    form->grdXTRs().Row(row);
    form->grdXTRs_MouseDown(Form1::kLeftButton, {0, 0});
    ASSERT_EQ(form->grdXTRs().Row(), row);
}

void MainWindowTest::OnEntry(std::wstring_view fileName, std::optional<bool> active,
                             void (Form1::*command)()) {
    ASSERT_NO_FATAL_FAILURE(Pick(fileName, active));
    (form.get()->*command)();
}

void MainWindowTest::Open(void (Form1::*command)(), std::wstring_view fileName, std::optional<bool> active) {
    if (!fileName.empty()) {
        ASSERT_NO_FATAL_FAILURE(Pick(fileName, active));
    }
    (form.get()->*command)();
    ASSERT_TRUE(Editor().IsLoaded());
}

void MainWindowTest::RightPress(int row, UINT choice) {
    form->grdXTRs().Row(row);
    answers.popupChoice = choice;
    form->grdXTRs_MouseDown(Form1::kRightButton, POINT{10, 10});
}

bool MainWindowTest::ItemEnabled(std::wstring_view caption) const {
    for (const auto& [text, enabled] : answers.popupItems) {
        if (testsupport::WithoutAccessKey(text) == caption) {
            return enabled;
        }
    }
    ADD_FAILURE() << "no item " << ToAnsi(caption);
    return false;
}

TrapResult MainWindowTest::Rename(int index, const std::wstring& fileName) const {
    const XtrRecord loaded = form->Catalogue().XtrTable[static_cast<size_t>(index)];
    XtrRecord renamed = loaded;
    renamed.fileName = fileName;
    return FilenameChanged(renamed, loaded, ReadHostFolderSetting());
}
