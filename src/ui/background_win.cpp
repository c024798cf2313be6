#include <windows.h>

#include "setup/globals.h"
#include "ui/backdrop.h"
#include "ui/dialogs_win.h"

namespace {

void FillRow(HDC dc, std::int32_t top, std::int32_t bottom, TColor color) {
    RECT row = {0, top, ScreenWidth, bottom};
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &row, brush);
    DeleteObject(brush);
}

void PaintGradient(HDC dc) {
    if (GradientStepCount(GradientTopColor, GradientBottomColor) == 0) {
        FillRow(dc, 0, ScreenHeight, GradientTopColor);
        return;
    }
    // One brush per pixel row, as the color may change on any row.
    const std::vector<TColor> rows = GradientRowColors(GradientTopColor, GradientBottomColor, ScreenHeight);
    for (std::int32_t y = 0; y < std::int32_t(rows.size()); ++y) {
        FillRow(dc, y, y + 1, rows[std::size_t(y)]);
    }
}

void PaintText(HDC dc, TScreenPoint at, const char* text, TColor color) {
    SetTextColor(dc, color);
    TextOutA(dc, at.x, at.y, text, int(lstrlenA(text)));
}

void PaintTitle(HDC dc) {
    HFONT font = CreateFontA(44, 0, 0, 0, 900, TRUE, FALSE, FALSE, ANSI_CHARSET, 0, 0, 0, 0, "Times New Roman");
    HGDIOBJ previous = SelectObject(dc, font);
    PaintText(dc, TitleShadowOrigin, TitleText, ShadowColor(TitleColor));
    PaintText(dc, TitleOrigin, TitleText, TitleColor);
    SelectObject(dc, previous);
    DeleteObject(font);
}

void PaintLogo(HDC dc) {
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(memory, LogoBitmap);
    const TScreenPoint at = LogoOrigin(ScreenWidth, ScreenHeight);
    BitBlt(dc, at.x, at.y, LogoWidth, LogoHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
}

void PaintFooter(HDC dc) {
    HFONT font = CreateFontA(12, 0, 0, 0, 900, FALSE, FALSE, FALSE, ANSI_CHARSET, 0, 0, 0, 0, "Small");
    HGDIOBJ previous = SelectObject(dc, font);
    PaintText(dc, FooterOrigin(ScreenWidth, ScreenHeight), FooterText, TitleColor);
    SelectObject(dc, previous);
    DeleteObject(font);
}

}  // namespace

void PaintBackground() {
    // The window's own context, not the paint context: every paint redraws
    // the whole screen, whatever part was uncovered.
    HDC dc = GetDC(MainWindow);
    PaintGradient(dc);
    SetBkMode(dc, TRANSPARENT);
    PaintTitle(dc);
    PaintLogo(dc);
    PaintFooter(dc);
    ReleaseDC(MainWindow, dc);
}

LRESULT CALLBACK BackgroundWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
    case WM_DESTROY: PostMessageA(window, WM_QUIT, 0, 0); break;
    case WM_PAINT: PaintBackground(); break;
    default: break;
    }
    // DefWindowProcA validates the update region after a paint.
    return DefWindowProcA(window, message, wParam, lParam);
}
