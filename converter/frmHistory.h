// The history window: a currency pair's rate over the last 90 days as a chart with a cursor
// on one day, the line of text that reads that day above it (also the chart's accessible
// name), and the whole series copied by Ctrl+C. Modal over the main window, resizable; Esc
// or the close box closes it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "Currency.h"
#include "RatesHistory.h"
#include "toolkit/Form.h"
#include "toolkit/FormSlot.h"

class FrmHistory : public tk::Form {
public:
    enum : int { lblLine, chtRate };
    static const tk::FormSpec kSpec;

    const tk::FormSpec& Layout() const override { return kSpec; }
    // Left and Right move the cursor by a day, Page Up and Page Down by a week, Home and End
    // to the oldest and newest day; Ctrl+C copies the series as tab-separated text.
    void Form_KeyDown(std::int16_t keyCode, std::int16_t shift) override;
    // Esc closes the window.
    void Form_KeyPress(std::int16_t& keyAscii) override;
    // The mouse put the chart's cursor on another day.
    void chtRate_Click();

    // Shows the history of units of `quote` per unit of `base`, the window's caption naming
    // the pair: the banks' documents not yet in memory are fetched first, with the window
    // shown and "Downloading rates..." in it meanwhile. Then the chart with its cursor on
    // the newest day, or one line: the failure text, or that a rate has no history. Loads
    // the form; the caller shows it modally.
    void ShowPair(const CurrencyEntry& base, const CurrencyEntry& quote);

    const history::PairHistory& Shown() const { return history_; }

private:
    void ShowCursor();
    void ShowLine(std::string_view text);  // a line with no chart

    history::PairHistory history_;
    std::optional<history::Cursor> cursor_;
};

extern tk::FormSlot<FrmHistory> frmHistory;
