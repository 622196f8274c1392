// Every label of the three windows holds its whole text at 96, 120 and 144
// dots per inch: one that needs more room grows downward, and what lies
// below it moves down with it.
#include "about/frm_About.h"
#include "app/Form1.h"
#include "editor/Form2.h"
#include "rules/AppInfo.h"
#include "support/TestSupport.h"
#include "system/VersionInfo.h"

#include <gtest/gtest.h>

namespace {
// The height DrawText gives the text in the font at dpi, wrapped at width.
int MeasuredHeight(const FormControl& control, int dpi, int width) {
    UniqueGdiObject font(
        CreateFormFont(control.font.face, control.font.hundredthPoints, control.font.weight, dpi));
    HDC dc = ::CreateCompatibleDC(nullptr);
    const HGDIOBJ old = ::SelectObject(dc, font.get());
    RECT rect{0, 0, width, 0};
    ::DrawTextW(dc, control.text.c_str(), static_cast<int>(control.text.size()), &rect,
                DT_CALCRECT | DT_WORDBREAK);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    return control.text.empty() ? 0 : rect.bottom - rect.top;
}
} // namespace

TEST(FormLayout, EveryLabelHoldsItsTextAtThreeResolutions) {
    testsupport::ModalAnswers answers;
    const struct {
        const char* form;
        std::vector<FormControl> controls;
        SIZE client;
    } forms[] = {{"Form1", Form1::Controls(), Form1::ClientTwips()},
                 {"Form2", Form2::Controls(), Form2::ClientTwips()},
                 {"frm_About", frm_About::Controls(), frm_About::ClientTwips()}};
    for (int dpi : {96, 120, 144}) {
        for (const auto& form : forms) {
            const FormLayout layout = LayOutForm(form.controls, form.client, dpi);
            ASSERT_EQ(layout.placements.size(), form.controls.size());
            EXPECT_GE(layout.client.cy, testsupport::TwipsAt(form.client.cy, dpi));
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
                EXPECT_GE(height, testsupport::TwipsAt(control.twips.height, dpi)) << "a label never shrinks";
                for (size_t j = 0; j < form.controls.size(); ++j) {
                    if (form.controls[j].twips.top >= control.twips.Bottom()) {
                        EXPECT_GE(layout.placements[j].top, placed.bottom)
                            << form.form << ": " << form.controls[j].id << " stays below " << control.id;
                    }
                }
            }
        }
    }
}
