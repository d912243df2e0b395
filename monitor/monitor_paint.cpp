#include "monitor/monitor_control.h"

#include "monitor/monitor_resources.h"
#include "monitor/corner_style.h"

// The control's class has no background brush, so what lies under it is
// its parent's drawing. Each paint builds the whole picture off screen -
// that drawing, the picture cut out by its mask, the marks - and puts it
// on screen in one copy, so the control never flickers and its outline
// shows the parent through.

namespace {

// The source DC shows one bitmap after another; only the bitmap it had
// when it was made goes back into it at the end.
struct SourceDC {
    HDC dc;
    HGDIOBJ original;

    bool Show(HBITMAP bitmap)
    {
        if (!bitmap)
            return false;
        HGDIOBJ previous = SelectObject(dc, bitmap);
        if (!previous || previous == HGDI_ERROR)
            return false;
        if (!original)
            original = previous;
        return true;
    }

    void Restore()
    {
        if (original)
            SelectObject(dc, original);
        original = nullptr;
    }
};

// Where the mask (the right half) is white the background stays, and the
// picture (the left half) is black there, so XOR leaves it alone; where
// the mask is black only the picture remains.
void DrawPicture(HDC back, SourceDC &source)
{
    const int width = PictureSize.cx;
    const int height = PictureSize.cy;
    if (!source.Show(MonitorPicture))
        return;
    BitBlt(back, 0, 0, width, height, source.dc, width, 0, SRCAND);
    BitBlt(back, 0, 0, width, height, source.dc, 0, 0, SRCINVERT);
}

void DrawCornerMarks(HDC back, SourceDC &source, std::uint32_t style)
{
    CornerAction actions[CornerCount];
    DecodeCorners(style, actions);
    for (int corner = 0; corner < CornerCount; ++corner) {
        if (!source.Show(CornerMarks[actions[corner]]))
            continue;
        const RECT &square = CornerSquares[corner];
        BitBlt(back, square.left, square.top, MarkSize.cx, MarkSize.cy, source.dc, 0, 0,
               SRCCOPY);
    }
}

// Draws the picture through the back bitmap. Anything that cannot be made
// leaves the control unpainted this time; whatever was made is freed.
void DrawThroughBackBuffer(HWND control, HDC screen)
{
    const int width = PictureSize.cx;
    const int height = PictureSize.cy;
    SourceDC source = {CreateCompatibleDC(screen), nullptr};
    HDC back = CreateCompatibleDC(screen);
    HBITMAP buffer = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ backOriginal = nullptr;
    if (source.dc && back && buffer)
        backOriginal = SelectObject(back, buffer);
    if (backOriginal && backOriginal != HGDI_ERROR) {
        BitBlt(back, 0, 0, width, height, screen, 0, 0, SRCCOPY);
        DrawPicture(back, source);
        const auto style = static_cast<std::uint32_t>(GetWindowLongA(control, GWL_STYLE));
        if (ShowsCornerMarks(style))
            DrawCornerMarks(back, source, style);
        source.Restore();
        BitBlt(screen, 0, 0, width, height, back, 0, 0, SRCCOPY);
        SelectObject(back, backOriginal);
    }
    if (buffer)
        DeleteObject(buffer);
    if (back)
        DeleteDC(back);
    if (source.dc)
        DeleteDC(source.dc);
}

} // namespace

void PaintMonitorControl(HWND control)
{
    PAINTSTRUCT paint;
    HDC screen = BeginPaint(control, &paint);
    if (screen)
        DrawThroughBackBuffer(control, screen);
    EndPaint(control, &paint);
}
