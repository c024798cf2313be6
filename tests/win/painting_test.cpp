#include "archive/progress_draw_win.h"

#include <gtest/gtest.h>

#include <vector>

#include "setup/globals.h"
#include "ui/dialogs_win.h"

namespace {

const COLORREF Red = RGB(255, 0, 0), White = RGB(255, 255, 255), Black = RGB(0, 0, 0);

// The "Progress" dialog's bar, drawn into a bitmap whose pixels can be read
// along the bar's top edge, which the percentage text never reaches.
TEST(ProgressBar, DrawsDoneInRedTheRestInWhiteAndOnlyOnAChangedPercentage) {
    const HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), "Progress", nullptr, nullptr, 0);
    ASSERT_NE(dialog, nullptr);
    SetUpProgressDrawing(dialog, ProgressDC);
    const HDC memory = CreateCompatibleDC(nullptr);
    const HBITMAP bitmap = CreateBitmap(600, 200, 1, 32, nullptr);
    SelectObject(memory, bitmap);
    const auto paintOver = [memory] { PatBlt(memory, 0, 0, 600, 200, BLACKNESS); };
    const auto topEdgeAt = [memory](int x) { return GetPixel(memory, x, BarTop); };
    paintOver();
    LastPercent = -1;
    DrawProgress(memory, 1, 4);
    const int edge = BarLeft + (BarWidth + 2) / 4;  // near a quarter, rounded either way
    EXPECT_EQ(topEdgeAt(edge - 2), Red);
    EXPECT_EQ(topEdgeAt(edge + 1), White);
    EXPECT_EQ(topEdgeAt(BarRight - 1), White);
    EXPECT_EQ(topEdgeAt(BarRight + 1), Black) << "the bar ends inside the frame";

    DrawProgress(memory, 1000, 100000);  // 1 %
    paintOver();
    DrawProgress(memory, 1400, 100000);  // still 1 %
    EXPECT_EQ(topEdgeAt(BarLeft), Black) << "redrawn for an unchanged percentage";
    DrawProgress(memory, 1600, 100000);  // 2 %
    EXPECT_EQ(topEdgeAt(BarLeft), Red);
    DrawProgress(memory, 10, 0);
    EXPECT_EQ(LastPercent, 2) << "`DrawProgress` draws nothing without a total.";
    DeleteDC(memory);
    DeleteObject(bitmap);
    ReleaseProgressDrawing(ProgressDC);
    DestroyWindow(dialog);
}

// Counts the GDI objects this process may still create: none of the
// platform's calls counts them under every Windows, so fill up to the limit.
int FreeGdiObjects() {
    std::vector<HBRUSH> made;
    for (HBRUSH brush; made.size() < 100000 && (brush = CreateSolidBrush(0));) made.push_back(brush);
    for (HBRUSH brush : made) DeleteObject(brush);
    return static_cast<int>(made.size());
}

TEST(Backdrop, PaintingLeavesNoGdiObjectBehind) {
    MainWindow = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
    LogoBitmap = LoadBitmapA(GetModuleHandleA(nullptr), "logo");
    ScreenWidth = 640;
    ScreenHeight = 480;
    PaintBackground();  // the first paint may set up what the platform keeps
    const int before = FreeGdiObjects();
    PaintBackground();
    EXPECT_EQ(FreeGdiObjects(), before);
    DeleteObject(LogoBitmap);
    DestroyWindow(MainWindow);
}

}  // namespace
