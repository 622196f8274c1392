#pragma once
// The catalogue's and the files' own routines, without a window, on the test's
// UI-View32 folder: HostFolder is set as start-up would set it.
#include "rules/AppInfo.h"
#include "support/Worlds.h"

class XtrFixture : public UiViewFolderTest {
  protected:
    void SetUp() override {
        UiViewFolderTest::SetUp();
        HostFolder = host.Path();
    }
};
