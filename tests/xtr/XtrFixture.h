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

    // The names in a folder, everything but "." and "..".
    static std::vector<std::wstring> FolderContents(const std::wstring& folder) {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found;
        UniqueFind find(::FindFirstFileW((folder + L"\\*").c_str(), &found));
        if (find) {
            do {
                const std::wstring name = found.cFileName;
                if (name != L"." && name != L"..") {
                    names.push_back(name);
                }
            } while (::FindNextFileW(find.get(), &found));
        }
        return names;
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
