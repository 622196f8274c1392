#pragma once
// Faults on real files: a UI-View32 folder of the test's own, the main window
// started on it, the log captured, modal loops answered. Each case checks the
// report lines and every name left on disk.
#include "app/Form1.h"
#include "common/Common.h"
#include "support/TestSupport.h"
#include "xtr/XtrTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

class HardeningTest : public testing::Test {
  protected:
    void SetUp() override {
        registry.SetHostFolderSetting(host.Path() + L"\\");
        ::CreateDirectoryW(Saved().c_str(), nullptr);
    }
    void TearDown() override {
        form.reset();
        testsupport::PumpMessages();
    }

    std::wstring Saved() const { return host / L"SavedXTR"; }
    std::wstring InSaved(const std::wstring& name) const { return Saved() + L"\\" + name; }

    // Start-up as the program runs it; the log then goes to the test's own file.
    void Start() {
        form = std::make_unique<Form1>();
        ASSERT_TRUE(form->Create(::GetModuleHandleW(nullptr)));
        Common::ErrorLogPathname = log.Path();
    }

    std::vector<std::string> Reports() const { return log.Reports(); }

    static std::vector<std::wstring> NamesIn(const std::wstring& folder) {
        return testsupport::NamesIn(folder);
    }

    static int IndexOf(const std::wstring& fileName, bool active) {
        for (int i = 1; i <= XtrCount; ++i) {
            if (XtrTable[static_cast<size_t>(i)].fileName == fileName &&
                XtrTable[static_cast<size_t>(i)].active == active) {
                return i;
            }
        }
        return 0;
    }

    // Picks the entry's row as a press on the grid does, then runs the command.
    void OnEntry(const std::wstring& fileName, bool active, void (Form1::*command)()) {
        const int row = IndexOf(fileName, active);
        ASSERT_GT(row, 0) << "not listed";
        form->grdXTRs().Row(row);
        form->grdXTRs_MouseDown(Form1::kLeftButton, {0, 0});
        (form.get()->*command)();
    }

    // Holds a file open without sharing, as a program that has it in use.
    static UniqueFile HoldOpen(const std::wstring& path) {
        return UniqueFile(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    }

    testsupport::TempFolder host;
    testsupport::ScratchRegistry registry;
    testsupport::ModalAnswers answers;
    testsupport::LogCapture log;
    std::unique_ptr<Form1> form;
};
