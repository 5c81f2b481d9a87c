// The chart control: drawn with GDI into a memory bitmap and copied to the screen at once, so
// that resizing never flickers; every size comes from twips at the screen's dpi.
#include <windows.h>
// Needs the types of windows.h.
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "FormWindow.h"
#include "Text.h"

namespace tk::win32 {
namespace {

// Sizes in twips.
constexpr int kMarginTwips = 90;  // between the control's edge and what it draws
constexpr int kGapTwips = 60;     // between a text and what it labels
constexpr int kTickTwips = 90;    // a time tick, down from the axis
constexpr int kHairTwips = 15;    // grid lines, axes, ticks and the cursor
constexpr int kLineTwips = 30;    // the line through the points
constexpr int kDotTwips = 45;     // a dot's radius

struct Sizes {
    int margin, gap, tick, hair, line, dot;
};

Sizes SizesAt(const WindowManager& manager) {
    const auto px = [&manager](int twips) { return std::max(1, manager.Px(twips)); };
    return {px(kMarginTwips), px(kGapTwips),  px(kTickTwips),
            px(kHairTwips),   px(kLineTwips), px(kDotTwips)};
}

SIZE TextSize(HDC dc, const std::wstring& text) {
    SIZE size{};
    if (!text.empty())
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

// Where the plot lies in the client area and where a point falls in it, in pixels.
class Scale {
public:
    Scale(HDC dc, const RECT& client, const ChartData& data, const Sizes& s) : data_(data) {
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        const int textHeight = tm.tmHeight;
        int widestValue = 0;
        for (const ChartLabel& label : data.yLabels)
            widestValue =
                std::max(widestValue, static_cast<int>(TextSize(dc, Widen(label.text)).cx));
        int rightText = 0;
        bool above = false;
        bool below = false;
        for (const ChartMark& mark : data.marks) {
            if (mark.place == ChartPlace::Right)
                rightText =
                    std::max(rightText, static_cast<int>(TextSize(dc, Widen(mark.text)).cx));
            above = above || mark.place == ChartPlace::Above;
            below = below || mark.place == ChartPlace::Below;
        }
        plot_.left = client.left + s.margin + s.dot + (widestValue > 0 ? widestValue + s.gap : 0);
        plot_.right = client.right - s.margin - s.dot - (rightText > 0 ? rightText + s.gap : 0);
        plot_.top = client.top + s.margin + std::max(textHeight / 2, s.dot) +
                    (above ? s.gap + textHeight : 0);
        plot_.bottom = client.bottom - s.margin -
                       (data.xLabels.empty() ? s.dot : std::max(s.tick, s.gap + textHeight));
        // The values keep clear of the plot's bottom by a line of text for the marks below
        // their points, so that they stay off the time axis and its labels.
        lowest_ = plot_.bottom - (below ? s.dot + s.gap + textHeight : 0);
    }

    const RECT& Plot() const { return plot_; }
    bool Empty() const { return plot_.right <= plot_.left || plot_.bottom <= plot_.top; }

    int X(std::int64_t x) const {
        const auto& points = data_.points;
        if (points.size() < 2 || points.back().x == points.front().x)
            return (plot_.left + plot_.right) / 2;
        return Along(x - points.front().x, points.back().x - points.front().x, plot_.left,
                     plot_.right);
    }
    int Y(std::int64_t y) const {
        const std::int64_t range = std::max<std::int64_t>(data_.yHigh - data_.yLow, 1);
        return Along(y - data_.yLow, range, lowest_, plot_.top);
    }
    POINT At(std::size_t point) const {
        return {X(data_.points[point].x), Y(data_.points[point].y)};
    }

private:
    // `from` plus the share part/whole of the way to `to`, kept within reach of the window.
    static int Along(std::int64_t part, std::int64_t whole, int from, int to) {
        const double at = from + static_cast<double>(to - from) * static_cast<double>(part) /
                                     static_cast<double>(whole);
        constexpr double kFar = 1 << 20;
        return static_cast<int>(std::lround(std::clamp(at, -kFar, kFar)));
    }

    const ChartData& data_;
    RECT plot_{};
    int lowest_ = 0;  // where yLow lies
};

// A pen or brush selected into a DC while this lives, then deleted when it was made for it.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object, bool owned)
        : dc_(dc), object_(object), old_(SelectObject(dc, object)), owned_(owned) {}
    ~Selected() {
        SelectObject(dc_, old_);
        if (owned_) DeleteObject(object_);
    }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HGDIOBJ object_;
    HGDIOBJ old_;
    bool owned_;
};

HPEN Pen(int width, int color) { return CreatePen(PS_SOLID, width, GetSysColor(color)); }

void Line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

void Dot(HDC dc, POINT at, int radius, int color) {
    const Selected pen(dc, GetStockObject(NULL_PEN), false);
    const Selected brush(dc, GetSysColorBrush(color), false);
    // A null pen leaves the right and bottom edge out: one pixel more on those sides.
    Ellipse(dc, at.x - radius, at.y - radius, at.x + radius + 2, at.y + radius + 2);
}

// `text` with its top left at `at`, moved inside `client` as far as it fits.
void TextInside(HDC dc, const std::wstring& text, POINT at, const RECT& client) {
    const SIZE size = TextSize(dc, text);
    const int x =
        std::max(static_cast<int>(client.left),
                 std::min(static_cast<int>(at.x), static_cast<int>(client.right - size.cx)));
    const int y =
        std::max(static_cast<int>(client.top),
                 std::min(static_cast<int>(at.y), static_cast<int>(client.bottom - size.cy)));
    TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

void DrawAxes(HDC dc, const Scale& scale, const ChartData& data, const Sizes& s,
              const RECT& client) {
    const RECT& plot = scale.Plot();
    {
        const Selected grid(dc, Pen(s.hair, COLOR_3DLIGHT), true);
        for (const ChartLabel& label : data.yLabels) {
            const int y = scale.Y(label.at);
            Line(dc, plot.left, y, plot.right, y);
        }
    }
    const Selected axis(dc, Pen(s.hair, COLOR_GRAYTEXT), true);
    Line(dc, plot.left, plot.top, plot.left, plot.bottom);
    Line(dc, plot.left, plot.bottom, plot.right + 1, plot.bottom);
    for (const ChartLabel& label : data.yLabels) {
        const std::wstring text = Widen(label.text);
        const SIZE size = TextSize(dc, text);
        TextInside(dc, text, {plot.left - s.gap - size.cx, scale.Y(label.at) - size.cy / 2},
                   client);
    }
    for (const ChartLabel& label : data.xLabels) {
        const int x = scale.X(label.at);
        Line(dc, x, plot.bottom, x, plot.bottom + s.tick);
        TextInside(dc, Widen(label.text), {x + s.gap / 2, plot.bottom + s.gap / 2}, client);
    }
}

void DrawPoints(HDC dc, const Scale& scale, const ChartData& data, int cursor, const Sizes& s,
                const RECT& client) {
    const RECT& plot = scale.Plot();
    std::vector<POINT> line(data.points.size());
    for (std::size_t i = 0; i < line.size(); ++i) line[i] = scale.At(i);
    if (line.size() > 1) {
        const Selected pen(dc, Pen(s.line, COLOR_HIGHLIGHT), true);
        Polyline(dc, line.data(), static_cast<int>(line.size()));
    }
    for (const ChartMark& mark : data.marks) {
        if (mark.point >= line.size()) continue;
        const POINT at = line[mark.point];
        Dot(dc, at, s.dot, COLOR_HIGHLIGHT);
        const std::wstring text = Widen(mark.text);
        const SIZE size = TextSize(dc, text);
        const int off = s.dot + s.gap;
        POINT where{at.x - size.cx / 2, at.y - off - size.cy};
        if (mark.place == ChartPlace::Below) where.y = at.y + off;
        if (mark.place == ChartPlace::Right) where = {at.x + off, at.y - size.cy / 2};
        TextInside(dc, text, where, client);
    }
    if (cursor >= 0 && static_cast<std::size_t>(cursor) < line.size()) {
        const POINT at = line[static_cast<std::size_t>(cursor)];
        {
            const Selected pen(dc, Pen(s.hair, COLOR_WINDOWTEXT), true);
            Line(dc, at.x, plot.top, at.x, plot.bottom);
        }
        Dot(dc, at, s.dot + s.hair, COLOR_WINDOWTEXT);
    } else if (line.size() == 1) {
        Dot(dc, line.front(), s.dot, COLOR_HIGHLIGHT);
    }
}

void DrawChart(HDC dc, const RECT& client, const ChartData& data, int cursor, bool focused,
               const Sizes& s) {
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    if (!data.points.empty()) {
        const Scale scale(dc, client, data, s);
        if (!scale.Empty()) {
            DrawAxes(dc, scale, data, s, client);
            DrawPoints(dc, scale, data, cursor, s, client);
        }
    }
    if (focused) {
        RECT inside = client;
        InflateRect(&inside, -s.hair, -s.hair);
        DrawFocusRect(dc, &inside);
    }
}

}  // namespace

LRESULT CALLBACK FormWindow::ChartProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    const int id = self != nullptr ? self->ControlIdOf(hwnd) : -1;
    if (id < 0) return DefWindowProcW(hwnd, msg, wParam, lParam);
    return self->ChartMessage(id, hwnd, msg, wParam, lParam);
}

LRESULT FormWindow::ChartMessage(int id, HWND chart, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_GETDLGCODE:
            // The arrow keys stay with the chart (and the form that previews them) rather
            // than move the focus.
            return DLGC_WANTARROWS;
        case WM_ERASEBKGND:
            return TRUE;  // WM_PAINT covers every pixel
        case WM_PAINT:
            PaintChart(id, chart);
            return 0;
        case WM_SETFOCUS:
            InvalidateRect(chart, nullptr, FALSE);
            manager_.Call([this, id] { RunControlHandler(form_, id, &ControlSpec::gotFocus); });
            return 0;
        case WM_KILLFOCUS:
            InvalidateRect(chart, nullptr, FALSE);
            return 0;
        case WM_LBUTTONDOWN:
            ::SetFocus(chart);
            if (Control(id) == chart) PointChart(id, chart, GET_X_LPARAM(lParam));
            return 0;
        case WM_MOUSEMOVE: {
            // In screen pixels, so that a window moved or resized under a still pointer is no
            // move of the mouse either.
            POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ClientToScreen(chart, &at);
            std::optional<POINT>& last = charts_[id].lastMouse;
            const bool moved = last && (last->x != at.x || last->y != at.y);
            last = at;
            if (moved) PointChart(id, chart, GET_X_LPARAM(lParam));
            return 0;
        }
        default:
            return DefWindowProcW(chart, msg, wParam, lParam);
    }
}

void FormWindow::PaintChart(int id, HWND chart) {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(chart, &ps);
    if (dc == nullptr) return;
    RECT client{};
    GetClientRect(chart, &client);
    const ChartState& state = charts_[id];
    const Sizes sizes = SizesAt(manager_);
    const bool focused = GetFocus() == chart;
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap =
        memory != nullptr ? CreateCompatibleBitmap(dc, client.right, client.bottom) : nullptr;
    if (bitmap != nullptr) {
        {
            const Selected canvas(memory, bitmap, false);
            const Selected font(memory, FontOf(form_.Layout().controls[id]), false);
            // Drawing allocates: a failure leaves the chart blank rather than leave this
            // procedure as an exception.
            manager_.Call(
                [&] { DrawChart(memory, client, state.data, state.cursor, focused, sizes); });
            BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        }
        DeleteObject(bitmap);
    } else {  // out of memory for the bitmap: straight to the screen
        const Selected font(dc, FontOf(form_.Layout().controls[id]), false);
        manager_.Call([&] { DrawChart(dc, client, state.data, state.cursor, focused, sizes); });
    }
    if (memory != nullptr) DeleteDC(memory);
    EndPaint(chart, &ps);
}

void FormWindow::PointChart(int id, HWND chart, int x) {
    ChartState& state = charts_[id];
    if (state.data.points.empty()) return;
    RECT client{};
    GetClientRect(chart, &client);
    HDC dc = GetDC(chart);
    if (dc == nullptr) return;
    int nearest = -1;
    // The scale measures texts, which allocates: a failure moves nothing.
    manager_.Call([&] {
        const Selected font(dc, FontOf(form_.Layout().controls[id]), false);
        const Scale scale(dc, client, state.data, SizesAt(manager_));
        int best = std::numeric_limits<int>::max();
        for (std::size_t i = 0; i < state.data.points.size(); ++i) {
            const int distance = std::abs(scale.X(state.data.points[i].x) - x);
            if (distance < best) {
                best = distance;
                nearest = static_cast<int>(i);
            }
        }
    });
    ReleaseDC(chart, dc);
    if (nearest < 0 || nearest == state.cursor) return;
    state.cursor = nearest;
    InvalidateRect(chart, nullptr, FALSE);
    manager_.Call([this, id] { RunControlHandler(form_, id, &ControlSpec::click); });
}

HWND FormWindow::ChartControl(int id) const {
    HWND h = Control(id);
    return h != nullptr && form_.Layout().controls[id].kind == Kind::Chart ? h : nullptr;
}

void FormWindow::SetChart(int id, ChartData data) {
    HWND h = ChartControl(id);
    if (h == nullptr) return;
    charts_[id].data = std::move(data);
    charts_[id].cursor = static_cast<int>(charts_[id].data.points.size()) - 1;
    InvalidateRect(h, nullptr, FALSE);
}

int FormWindow::ChartCursor(int id) const {
    return ChartControl(id) != nullptr ? charts_[id].cursor : -1;
}

void FormWindow::SetChartCursor(int id, int point) {
    HWND h = ChartControl(id);
    if (h == nullptr) return;
    const bool inside =
        point >= 0 && static_cast<std::size_t>(point) < charts_[id].data.points.size();
    charts_[id].cursor = inside ? point : -1;
    InvalidateRect(h, nullptr, FALSE);
}

}  // namespace tk::win32
