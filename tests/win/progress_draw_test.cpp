#include "archive/progress_draw_win.h"

#include <gtest/gtest.h>

#include "setup/globals.h"

namespace {

INT_PTR CALLBACK InertDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

const COLORREF Red = RGB(255, 0, 0);
const COLORREF White = RGB(255, 255, 255);
const COLORREF Blue = RGB(0, 0, 255);

// The "Progress" dialog's bar, drawn into a bitmap whose pixels can be read.
class ProgressBar : public ::testing::Test {
protected:
    void SetUp() override
    {
        dialog_ = CreateDialogParamA(GetModuleHandleA(nullptr), "Progress", nullptr, InertDialogProc, 0);
        ASSERT_NE(dialog_, nullptr);
        ContinueFlag = 0;
        SetUpProgressDrawing(dialog_, ProgressDC);
        memory_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateBitmap(600, 200, 1, 32, nullptr);
        previous_ = SelectObject(memory_, bitmap_);
        PaintOver();
    }
    void TearDown() override
    {
        SelectObject(memory_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(memory_);
        ReleaseProgressDrawing(ProgressDC);
        DestroyWindow(dialog_);
        ContinueFlag = 1;
    }
    void PaintOver()
    {
        RECT all = {0, 0, 600, 200};
        HBRUSH blue = CreateSolidBrush(Blue);
        FillRect(memory_, &all, blue);
        DeleteObject(blue);
    }
    // The bar's top edge: the percentage text never reaches it.
    COLORREF TopEdgeAt(int x) { return GetPixel(memory_, x, BarTop); }

    HWND dialog_ = nullptr;
    HDC memory_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

TEST_F(ProgressBar, DrawsDoneInRedTheRestInWhiteAndOnlyOnAChangedPercentage)
{
    EXPECT_EQ(ContinueFlag, 1) << "setting up allows the copy";
    ASSERT_GT(BarRight - BarLeft, 100);
    LastPercent = -1;
    DrawProgress(memory_, 1, 4);
    EXPECT_EQ(LastPercent, 25);
    const int edge = BarLeft + (BarWidth + 2) / 4;  // near a quarter, rounded either way
    EXPECT_EQ(TopEdgeAt(BarLeft), Red);
    EXPECT_EQ(TopEdgeAt(edge - 2), Red);
    EXPECT_EQ(TopEdgeAt(edge + 1), White);
    EXPECT_EQ(TopEdgeAt(BarRight - 1), White);
    EXPECT_EQ(TopEdgeAt(BarRight + 1), Blue) << "the bar ends inside the frame";

    DrawProgress(memory_, 1000, 100000);  // 1 %
    PaintOver();
    DrawProgress(memory_, 1400, 100000);  // still 1 %
    EXPECT_EQ(TopEdgeAt(BarLeft), Blue) << "redrawn for an unchanged percentage";
    DrawProgress(memory_, 1600, 100000);  // 2 %
    EXPECT_EQ(TopEdgeAt(BarLeft), Red);
    EXPECT_EQ(LastPercent, 2);
}

TEST_F(ProgressBar, HalvesRoundToEvenAndNoTotalDrawsNothing)
{
    // Eighths are exact in binary: 12.5, 37.5, 62.5 and 87.5 percent.
    const std::pair<std::int32_t, std::int32_t> cases[] = {{1, 12}, {3, 38}, {5, 62}, {7, 88}};
    for (const auto& [done, percent] : cases) {
        LastPercent = -1;
        DrawProgress(memory_, done, 8);
        EXPECT_EQ(LastPercent, percent) << done << " of 8";
    }
    PaintOver();
    for (std::int32_t total : {0, -5}) {
        DrawProgress(memory_, 10, total);
        EXPECT_EQ(LastPercent, 88);
        EXPECT_EQ(TopEdgeAt(BarLeft), Blue);
    }
}

}  // namespace
