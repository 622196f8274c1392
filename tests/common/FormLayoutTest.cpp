// Every label of the three windows holds its whole text at 96, 120 and 144
// dots per inch: one that needs more room grows downward, and what lies
// below it moves down with it.
#include "about/frm_About.h"
#include "app/AppInfo.h"
#include "app/Form1.h"
#include "editor/Form2.h"
#include "support/TestSupport.h"
#include "xtr/GridText.h"

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

// The width of text in font, as GetTextExtentPoint32 gives it.
int TextWidth(const std::wstring& text, HFONT font) {
    HDC dc = ::CreateCompatibleDC(nullptr);
    const HGDIOBJ old = ::SelectObject(dc, font);
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    return size.cx;
}
} // namespace

TEST(FormLayout, EveryLabelHoldsItsTextAtThreeResolutions) {
    testsupport::ModalAnswers answers;
    SetIdentityTexts(ReadProgramVersion());
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
            EXPECT_GE(layout.client.cy, TwipsToPixels(form.client.cy, dpi));
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
                EXPECT_GE(height, TwipsToPixels(control.twips.height, dpi)) << "a label never shrinks";
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

// The catalogue's headers, in the grid's font, fit their columns at 96, 120 and
// 144 dots per inch: Description, XTR-Filename and Application Path at their
// 3000, 2000 and 3000 twips, the others as wide as their headers need, and all
// six within the grid's width, a vertical scroll bar beside them.
TEST(FormLayout, EveryGridHeaderHoldsItsTextAtThreeResolutions) {
    const FormControl grid = Form1::Controls()[1];
    ASSERT_EQ(grid.twips.width, 11295);
    const int designed[6] = {3000, 2000, -1, -1, 3000, -1};
    const int margin = 3 * ::GetSystemMetrics(SM_CXEDGE); // a header's, on either side of its text
    for (int dpi : {96, 120, 144}) {
        UniqueGdiObject font(
            CreateFormFont(grid.font.face, grid.font.hundredthPoints, grid.font.weight, dpi));
        const HFONT made = static_cast<HFONT>(font.get());
        int total = 0;
        for (size_t col = 0; col < 6; ++col) {
            const std::wstring header = kGridHeaders[col];
            const int width =
                designed[col] == -1 ? Grid::HeaderWidth(header, made) : TwipsToPixels(designed[col], dpi);
            EXPECT_GE(width, TextWidth(header, made) + 2 * margin)
                << ToAnsi(header) << " at " << dpi << " dpi";
            total += width;
        }
        const int room = TwipsToPixels(grid.twips.width, dpi) - 2 * ::GetSystemMetrics(SM_CXEDGE) -
                         ::GetSystemMetrics(SM_CXVSCROLL);
        EXPECT_LE(total, room) << "at " << dpi << " dpi";
    }
}
