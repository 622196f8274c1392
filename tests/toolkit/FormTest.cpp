// What the form base does for every window.
#include "about/frm_About.h"
#include "app/Form1.h"
#include "editor/Form2.h"
#include "rules/AppInfo.h"
#include "support/Worlds.h"

using namespace testsupport;

namespace {
using FormTest = ScratchWorldTest;

// The height DrawText gives the text in the font at dpi, wrapped at width.
int MeasuredHeight(const FormControl& control, int dpi, int width) {
    UniqueGdiObject font(CreateFormFont(control.font, dpi));
    const UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
    const SavedDC saved(dc.get());
    ::SelectObject(dc.get(), font.get());
    RECT rect{0, 0, width, 0};
    ::DrawTextW(dc.get(), control.text.c_str(), static_cast<int>(control.text.size()), &rect,
                DT_CALCRECT | DT_WORDBREAK);
    return control.text.empty() ? 0 : rect.bottom - rect.top;
}
} // namespace

// Every label of the three windows holds its whole text at 96, 120 and 144
// dots per inch: one that needs more room grows downward, and what lies
// below it moves down with it.
TEST(FormLayout, EveryLabelHoldsItsTextAtThreeResolutions) {
    ModalAnswers answers;
    const struct {
        const char* form;
        std::vector<FormControl> controls;
        SIZE client;
    } forms[] = {{"Form1", Form1::Controls(), Form1::kClientTwips},
                 {"Form2", Form2::Controls(), Form2::kClientTwips},
                 {"frm_About", frm_About::Controls(), frm_About::kClientTwips}};
    for (int dpi : {96, 120, 144}) {
        for (const auto& form : forms) {
            FormFonts fonts;
            const FormLayout layout = LayOutForm(form.controls, form.client, fonts, dpi);
            ASSERT_EQ(layout.placements.size(), form.controls.size());
            EXPECT_GE(layout.client.cy, TwipsAt(form.client.cy, dpi));
            for (size_t i = 0; i < form.controls.size(); ++i) {
                const FormControl& control = form.controls[i];
                const RECT& placed = layout.placements[i];
                if (!control.label) {
                    continue;
                }
                EXPECT_LE(placed.bottom, layout.client.cy) << form.form << " " << control.id << " at " << dpi;
                const int height = placed.bottom - placed.top;
                EXPECT_GE(height, MeasuredHeight(control, dpi, placed.right - placed.left))
                    << form.form << " label " << control.id << " at " << dpi << " dpi";
                EXPECT_GE(height, TwipsAt(control.twips.height, dpi)) << "a label never shrinks";
                for (size_t j = 0; j < form.controls.size(); ++j) {
                    if (form.controls[j].twips.top >= control.twips.top + control.twips.height) {
                        EXPECT_GE(layout.placements[j].top, placed.bottom)
                            << form.form << ": " << form.controls[j].id << " stays below " << control.id;
                    }
                }
            }
        }
    }
}

// A window the system does not make is no silent dead end: logged under its
// form's load, and told.
TEST_F(FormTest, AWindowThatIsNotMadeIsLoggedAndTold) {
    ReportWindowNotMade(L"Form2", ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(Reports(), std::vector<std::string>{"7 in module Form2.Form_Load: Out of memory"});
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_EQ(answers.messages[0].text, L"Quillon could not open one of its windows: Out of memory.");
    EXPECT_EQ(answers.messages[0].flags, static_cast<UINT>(MB_OK | MB_ICONSTOP));
}
