#include "archive/progress_draw_win.h"

#include <string>

#include "archive/progress.h"
#include "setup/globals.h"
#include "ui/resource.h"
#include "util/screen_win.h"

HDC ProgressDC = nullptr;
HDC GatherDC = nullptr;
std::int32_t BarLeft = 0, BarTop = 0, BarRight = 0, BarBottom = 0, BarWidth = 0;
std::int32_t PercentX = 0, PercentY = 0;
std::int32_t ProgressPercent = 0;
std::int32_t LastPercent = -1;

namespace {

const COLORREF DoneColor = RGB(255, 0, 0);
const COLORREF RestColor = RGB(255, 255, 255);

HWND DrawingWindow = nullptr;
HPEN DonePen = nullptr;
HPEN RestPen = nullptr;
HBRUSH DoneBrush = nullptr;
HBRUSH RestBrush = nullptr;
HFONT PercentFont = nullptr;
HGDIOBJ DisplacedPen = nullptr;
HGDIOBJ DisplacedBrush = nullptr;
HGDIOBJ DisplacedFont = nullptr;

void MeasureBar(HWND dialog) {
    RECT frame = {};
    RECT window = {};
    GetWindowRect(GetDlgItem(dialog, IDC_PROGRESS_FRAME), &frame);
    GetWindowRect(dialog, &window);
    const int bx = GetSystemMetrics(SM_CXBORDER);
    const int cy = GetSystemMetrics(SM_CYCAPTION);
    const int by = GetSystemMetrics(SM_CYBORDER);
    BarLeft = frame.left - window.left - bx;
    BarTop = frame.top - window.top - cy - by;
    BarRight = frame.right - window.left - bx - 4;
    BarBottom = frame.bottom - window.top - cy - by - 4;
    PercentX = (BarRight - BarLeft) / 2 + BarLeft - 10;
    PercentY = (BarBottom - BarTop) / 2 + BarTop - 8;
    BarWidth = BarRight - BarLeft + 1;
}

}  // namespace

void SetUpProgressDrawing(HWND dialog, HDC& dc) {
    DrawingWindow = dialog;
    dc = GetDC(dialog);
    MeasureBar(dialog);

    DonePen = CreatePen(PS_SOLID, 1, DoneColor);
    RestPen = CreatePen(PS_SOLID, 1, RestColor);
    DisplacedPen = SelectObject(dc, DonePen);
    DoneBrush = CreateSolidBrush(DoneColor);
    RestBrush = CreateSolidBrush(RestColor);
    DisplacedBrush = SelectObject(dc, DoneBrush);

    CenterOnScreen(dialog);
    ContinueFlag = 1;

    SetBkMode(dc, TRANSPARENT);
    PercentFont = CreateFontA(16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    DisplacedFont = SelectObject(dc, PercentFont);
    SetTextColor(dc, RGB(0, 0, 0));
}

void ReleaseProgressDrawing(HDC dc) {
    SelectObject(dc, DisplacedFont);
    DeleteObject(PercentFont);
    SelectObject(dc, DisplacedPen);
    SelectObject(dc, DisplacedBrush);
    DeleteObject(DonePen);
    DeleteObject(RestPen);
    DeleteObject(DoneBrush);
    DeleteObject(RestBrush);
    PercentFont = nullptr;
    DonePen = RestPen = nullptr;
    DoneBrush = RestBrush = nullptr;
    ReleaseDC(DrawingWindow, dc);
    DrawingWindow = nullptr;
}

void DrawProgress(HDC dc, std::int32_t done, std::int32_t total) {
    ProgressMark mark;
    if (!ProgressMarkFor(done, total, BarLeft, BarWidth, mark)) return;
    ProgressPercent = mark.Percent;
    if (ProgressPercent == LastPercent) return;

    SelectObject(dc, DoneBrush);
    SelectObject(dc, DonePen);
    Rectangle(dc, BarLeft, BarTop, mark.BarX, BarBottom);
    LastPercent = ProgressPercent;
    SelectObject(dc, RestBrush);
    SelectObject(dc, RestPen);
    Rectangle(dc, mark.BarX, BarTop, BarRight, BarBottom);

    const std::string text = std::to_string(ProgressPercent) + "%";
    TextOutA(dc, PercentX, PercentY, text.c_str(), static_cast<int>(text.size()));
}
