// What the form base does for every window.
#include "support/Worlds.h"
#include "toolkit/Form.h"

using namespace testsupport;

namespace {
using FormTest = ScratchWorldTest;
} // namespace

// A window the system does not make is no silent dead end: logged under its
// form's load, and told.
TEST_F(FormTest, AWindowThatIsNotMadeIsLoggedAndTold) {
    ReportWindowNotMade(L"Form2", ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(Reports(), std::vector<std::string>{"7 in module Form2.Form_Load: Out of memory"});
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_EQ(answers.messages[0].text, L"Quillon could not open one of its windows: Out of memory.");
    EXPECT_EQ(answers.messages[0].flags, static_cast<UINT>(MB_OK | MB_ICONSTOP));
}
