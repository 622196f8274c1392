#include "rules/AppInfo.h"

#include <gtest/gtest.h>

TEST(AppInfo, VersionIsWrittenWithoutLeadingZeros) {
    EXPECT_EQ(FormatAppVersion(1, 10, 3), L"V1.10.3");
    EXPECT_EQ(AppTitle, L"UI-View Quillon " + AppVersion);
}
