#include "rules/AppInfo.h"

#include <gtest/gtest.h>

TEST(AppInfo, VersionIsWrittenWithoutLeadingZeros) {
    SetIdentityTexts({1, 10, 3});
    EXPECT_EQ(AppTitle, L"UI-View Quillon V1.10.3");
    SetIdentityTexts({1, 1, 0});
    EXPECT_EQ(AppVersion, L"V1.1.0");
}
