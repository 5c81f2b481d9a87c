#include "frmHistory.h"

#include <array>
#include <span>
#include <utility>

#include "toolkit/NumberFormat.h"
#include "toolkit/Services.h"

tk::FormSlot<FrmHistory> frmHistory;

namespace {

using tk::Kind;

constexpr std::string_view kCaptionEnd = ", last 90 days";
constexpr std::string_view kFetchingText = "Downloading rates...";
constexpr std::string_view kFailureText = "The rates' history could not be downloaded.";
constexpr std::string_view kNoHistoryText = "No history: this rate was not published by a bank.";
constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr int kJanuary = 1;

// 480 x 300 pixels at 96 dots per inch: the least the user may make it.
constexpr int kClientWidth = 7200;
constexpr int kClientHeight = 4500;
constexpr int kMargin = 120;
constexpr int kLineHeight = 255;
constexpr int kChartTop = kMargin + kLineHeight + kMargin;

constexpr tk::ControlSpec kControls[] = {
    {.kind = Kind::Label,
     .name = "lblLine",
     .caption = "",
     .rect = {.left = kMargin,
              .top = kMargin,
              .width = kClientWidth - 2 * kMargin,
              .height = kLineHeight},
     .tabOrder = 1,
     .flags = tk::kAnchorRight},
    {.kind = Kind::Chart,
     .name = "chtRate",
     .caption = "",
     .rect = {.left = kMargin,
              .top = kChartTop,
              .width = kClientWidth - 2 * kMargin,
              .height = kClientHeight - kChartTop - kMargin},
     .tabOrder = 0,
     .flags = tk::kAnchorRight | tk::kAnchorBottom,
     .click = tk::Handler<&FrmHistory::chtRate_Click>},
};

static_assert(std::size(kControls) == FrmHistory::chtRate + 1);
static_assert(tk::ControlsAre(kControls, FrmHistory::lblLine, "lblLine"));
static_assert(tk::ControlsAre(kControls, FrmHistory::chtRate, "chtRate"));

}  // namespace

const tk::FormSpec FrmHistory::kSpec = {
    .name = "frmHistory",
    .caption = "History",
    .clientWidth = kClientWidth,
    .clientHeight = kClientHeight,
    .flags = tk::kSizable | tk::kKeyPreview | tk::kCenterOnOwner,
    .controls = kControls,
};

namespace {

// count x 10^-from as a count of 10^-to (to >= from).
std::int64_t Rescaled(std::int64_t count, int from, int to) {
    for (int k = from; k < to; ++k) count *= 10;
    return count;
}

// "Oct" at the first day of each month after the series' first day, "Jan 2025" at a new year.
std::vector<tk::ChartLabel> MonthLabels(std::span<const history::PairDay> days) {
    std::vector<tk::ChartLabel> labels;
    if (days.empty()) return labels;
    const long long last = publications::DayNumber(days.back().day);
    publications::Date month{days.front().day.year, days.front().day.month, 1};
    for (;;) {
        month.month == static_cast<int>(kMonths.size()) ? (++month.year, month.month = kJanuary)
                                                        : ++month.month;
        const long long at = publications::DayNumber(month);
        if (at > last) break;
        std::string text(kMonths[static_cast<std::size_t>(month.month - 1)]);
        if (month.month == kJanuary) text.append(" ").append(std::to_string(month.year));
        labels.push_back({at, std::move(text)});
    }
    return labels;
}

tk::ChartData ChartOf(const history::PairSeries& series, const tk::Separators& sep) {
    tk::ChartData chart;
    for (const history::PairDay& d : series.days) {
        chart.points.push_back({publications::DayNumber(d.day), d.value});
    }
    const history::AxisTicks ticks = history::TicksOf(series);
    for (const std::int64_t tick : ticks.values) {
        chart.yLabels.push_back({Rescaled(tick, ticks.decimals, series.decimals),
                                 tk::FormatDecimal(tick, ticks.decimals, sep, true)});
    }
    if (!chart.yLabels.empty()) {
        chart.yLow = chart.yLabels.front().at;
        chart.yHigh = chart.yLabels.back().at;
    }
    chart.xLabels = MonthLabels(series.days);
    const auto value = [&](std::size_t i) {
        return tk::FormatDecimal(series.days[i].value, series.decimals, sep, true);
    };
    const history::Extremes extremes = history::ExtremesOf(series.days);
    if (extremes.low != extremes.high) {
        chart.marks.push_back({extremes.low, tk::ChartPlace::Below, value(extremes.low)});
        chart.marks.push_back({extremes.high, tk::ChartPlace::Above, value(extremes.high)});
    }
    chart.marks.push_back({extremes.last, tk::ChartPlace::Right, value(extremes.last)});
    return chart;
}

std::optional<history::CursorKey> CursorKeyOf(std::int16_t keyCode) {
    switch (keyCode) {
        case tk::kKeyLeft:
            return history::CursorKey::Left;
        case tk::kKeyRight:
            return history::CursorKey::Right;
        case tk::kKeyPageUp:
            return history::CursorKey::PageUp;
        case tk::kKeyPageDown:
            return history::CursorKey::PageDown;
        case tk::kKeyHome:
            return history::CursorKey::Home;
        case tk::kKeyEnd:
            return history::CursorKey::End;
        default:
            return std::nullopt;
    }
}

constexpr std::int16_t kKeyC = 'C';

}  // namespace

void FrmHistory::ShowPair(const CurrencyEntry& base, const CurrencyEntry& quote) {
    frmHistory.Load();
    if (!HasPeer()) return;
    tk::WindowPeer& peer = Peer();
    std::string caption = history::PairName(base.Short.str(), quote.Short.str());
    peer.SetCaption(caption.append(kCaptionEnd));
    cursor_.reset();
    peer.SetChart(chtRate, {});
    if (history::NeedsFetch(base, quote)) {
        ShowLine(kFetchingText);
        // The fetch blocks the event loop: the text must be on the screen before it.
        peer.SetVisible(true);
        peer.Refresh();
    }
    tk::ClockService* clock = tk::Services().clock;
    history_ = history::LoadPair(base, quote, clock ? clock->Ticks() : 0);
    switch (history_.outcome) {
        case history::Outcome::Ready:
            peer.SetChart(chtRate, ChartOf(history_.series, tk::UserSeparators()));
            cursor_.emplace(history_.series.days);
            ShowCursor();
            break;
        case history::Outcome::NoHistory:
            ShowLine(kNoHistoryText);
            break;
        case history::Outcome::Failed:
            ShowLine(kFailureText);
            break;
    }
    if (peer.Visible()) peer.SetFocus(chtRate);
}

void FrmHistory::ShowLine(std::string_view text) {
    SetText(lblLine, text);
    if (HasPeer()) Peer().SetAccessibleName(chtRate, text);
}

void FrmHistory::ShowCursor() {
    tk::RegionalService* regional = tk::Services().regional;
    if (!cursor_ || !HasPeer() || regional == nullptr) return;
    const std::size_t index = cursor_->Index();
    const std::string line = history::CursorLine(history_.series, index, *regional);
    Peer().SetChartCursor(chtRate, static_cast<int>(index));
    ShowLine(line);
}

void FrmHistory::Form_KeyDown(std::int16_t keyCode, std::int16_t shift) {
    if (keyCode == kKeyC && shift == tk::kCtrlMask) {
        tk::ClipboardService* clipboard = tk::Services().clipboard;
        if (cursor_ && clipboard != nullptr) {
            clipboard->Clear();
            clipboard->SetText(history::TabSeparatedText(history_.series));
        }
        return;
    }
    const std::optional<history::CursorKey> key = CursorKeyOf(keyCode);
    if (key && shift == 0 && cursor_ && cursor_->Move(*key, history_.series.days)) ShowCursor();
}

void FrmHistory::Form_KeyPress(std::int16_t& keyAscii) {
    if (keyAscii != tk::kKeyEscape) return;
    keyAscii = 0;
    frmHistory.Unload();
}

void FrmHistory::chtRate_Click() {
    if (!cursor_ || !HasPeer()) return;
    const int point = Peer().ChartCursor(chtRate);
    if (point >= 0 && cursor_->Set(static_cast<std::size_t>(point), history_.series.days)) {
        ShowCursor();
    }
}
