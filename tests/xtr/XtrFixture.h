#pragma once
// A UI-View32 folder of the tests' own: a scratch registry setting pointing at
// a temporary folder with its SavedXTR, the log captured, modal loops answered.
#include "app/AppInfo.h"
#include "host/HostFolder.h"
#include "support/TestSupport.h"
#include "xtr/XtrTable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class XtrFixture : public testing::Test {
  protected:
    void SetUp() override {
        SetIdentityTexts({1, 1, 0});
        registry.SetHostFolderSetting(host.Path() + L"\\");
        ::CreateDirectoryW(Saved().c_str(), nullptr);
        HostFolder = host.Path();
        XtrTable.assign(1, XtrRecord{});
        XtrCount = 0;
        CurrentIndex = 0;
    }
    void TearDown() override { testsupport::PumpMessages(); }

    std::wstring Saved() const { return host / L"SavedXTR"; }

    std::vector<std::string> Reports() const { return log.Reports(); }

    static std::vector<std::wstring> FolderContents(const std::wstring& folder) {
        return testsupport::NamesIn(folder);
    }

    // Holds a file open without sharing, as a program that has it in use.
    static UniqueFile HoldOpen(const std::wstring& path) {
        return UniqueFile(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    }

    testsupport::TempFolder host;
    testsupport::ScratchRegistry registry;
    testsupport::LogCapture log;
    testsupport::ModalAnswers answers;
};
