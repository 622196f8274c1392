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

    // "N in module LABEL: DESCRIPTION" of each error the log received.
    std::vector<std::string> Reports() const {
        std::vector<std::string> reports;
        const std::string marker = " > program error ";
        for (const std::string& line : log.Lines()) {
            const size_t at = line.find(marker);
            if (at != std::string::npos) {
                reports.push_back(line.substr(at + marker.size()));
            }
        }
        return reports;
    }

    // Every name in a folder (files and folders, hidden ones too), sorted.
    static std::vector<std::wstring> NamesIn(const std::wstring& folder) {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found;
        UniqueFind find(::FindFirstFileW((folder + L"\\*").c_str(), &found));
        for (bool more = static_cast<bool>(find); more; more = ::FindNextFileW(find.get(), &found)) {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L"..") {
                names.push_back(name);
            }
        }
        std::sort(names.begin(), names.end());
        return names;
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
