// The main window: the amount being typed or converted, the eight currency buttons and the
// menu bar.
#pragma once

#include <cstdint>
#include <string>

#include "Money.h"
#include "mdlData.h"
#include "toolkit/Form.h"
#include "toolkit/FormSlot.h"

class FrmMain : public tk::Form {
public:
    // Control ids, in the order of the control table.
    enum : int { Picture1, lblVal, lblCur, cmdCur0 };
    // cmdCur0 + i is button i, which stands for slot i of SelectedSlots.
    static constexpr int kCurrencyButtons = mdlData::kSlotCount;
    enum : int { mnuOptions, mnuExit, mnuHelp };
    static const tk::FormSpec kSpec;

    const tk::FormSpec& Layout() const override { return kSpec; }
    void Form_Load() override;
    void Form_Unload() override;
    void Form_Resize() override;
    void Form_MouseMove(std::int16_t button, std::int16_t shift, float x, float y) override;
    void Form_KeyPress(std::int16_t& keyAscii) override;
    void Form_KeyDown(std::int16_t keyCode, std::int16_t shift) override;
    // The tip of currency button i: the amount shown converted into the button's currency
    // (when the amount has a currency and the result fits), the button's rate against the
    // reference currency, and where the rates came from and how old they are.
    std::string ToolTipText(int control) override;

    void cmdCur_Click(std::int16_t index);
    void mnuOptions_Click();
    void mnuExit_Click();
    void mnuHelp_Click();
    void ClearEntry();

    // Sets the caption of currency button `slot` (0-7) to that slot's code.
    void ShowSlotCaption(int slot);

    // The entry state.
    Money CurrentAmount;
    std::int16_t DecimalState = 0;      // 0 whole part; 1 point typed; k + 1: k decimals typed
    static constexpr std::int16_t kPointTyped = 1, kThirdDecimalTyped = 4, kFourthDecimalTyped = 5;
    std::int16_t CurrentCurrency = -1;  // table index of the amount's currency, -1 for none

private:
    void AddDigit(int digit);
    void RefreshDisplay();
    // After each change of the display: its amount and code become the display box's
    // accessible name ("106.13 USD"), and the currency buttons' tips follow.
    void DisplayChanged();
    void Backspace();
    void Paste();
    void Copy();

    // Set by a paste of an amount with decimals: the next digit starts a new amount.
    bool startNewAmount_ = false;
};

extern tk::FormSlot<FrmMain> frmMain;
