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
    // cmdCur0 + i is button i, which stands for slot i of SelectedSlots.
    static constexpr int kCurrencyButtons = mdlData::kSlotCount;
    // Control ids, in the order of the control table. lblOp shows the pending operation's
    // sign in the display.
    enum : int { Picture1, lblVal, lblCur, cmdCur0, lblOp = cmdCur0 + kCurrencyButtons };
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
    // The history of button `index`'s currency against the display's currency, when the
    // display has another, else against the reference currency.
    void mnuHistory_Click(std::int16_t index);
    void mnuOptions_Click();
    void mnuExit_Click();
    void mnuHelp_Click();
    void ClearEntry();

    // Sets the caption of currency button `slot` (0-7) to that slot's code.
    void ShowSlotCaption(int slot);

    // The entry state.
    Money CurrentAmount;
    std::int16_t DecimalState = 0;  // 0 whole part; 1 point typed; k + 1: k decimals typed
    static constexpr std::int16_t kPointTyped = 1, kThirdDecimalTyped = 4, kFourthDecimalTyped = 5;
    std::int16_t CurrentCurrency = -1;  // table index of the amount's currency, -1 for none

    // A sum typed as on a pocket calculator, left to right: an operator key takes the amount
    // shown (with its currency) as the left operand; the next digit starts the right operand,
    // typed as any amount in the same currency; "=", Enter or a currency button applies it.
    enum class Operation : std::uint8_t { None, Add, Subtract, Multiply, Divide };
    Operation PendingOperation = Operation::None;

private:
    void AddDigit(int digit);
    void RefreshDisplay();
    // After each change of the display: its amount and code become the display box's
    // accessible name ("106.13 USD"; "100 EUR times 3" while an operation is pending), and
    // the currency buttons' tips follow.
    void DisplayChanged();
    void Backspace();
    void Paste();
    void Copy();

    // An operator key: replaces the pending operation while its right operand has not
    // begun, else applies it first and takes its result as the new left operand.
    void TakeOperator(Operation operation);
    // Applies the pending operation, if any (without a right operand it is only dropped).
    // false when it overflowed or divided by zero: then it beeped, the operation is dropped
    // and the display shows the left operand again.
    bool ApplyPending();
    void DropOperation();  // and shows that none is pending; the display is left as it is
    void StartRightOperand();
    bool TypingRightOperand() const { return PendingOperation != Operation::None && rightTyped_; }

    // Set by a paste of an amount with decimals and by a result: the next digit starts a
    // new amount.
    bool startNewAmount_ = false;

    // The pending operation's left operand: its amount, typing state and display text.
    Money leftAmount_;
    std::int16_t leftDecimalState_ = 0;
    bool leftStartNewAmount_ = false;
    std::string leftText_;
    bool rightTyped_ = false;  // the right operand has begun (a digit, a point or a paste)
};

extern tk::FormSlot<FrmMain> frmMain;
