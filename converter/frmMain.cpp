#include "frmMain.h"

#include <cmath>
#include <string>

#include "Identity.h"
#include "Rates.h"
#include "TextHelpers.h"
#include "frmEdit.h"
#include "frmHistory.h"
#include "frmOpt.h"
#include "frmUpdate.h"
#include "mdlData.h"
#include "mdlTrayIcon.h"
#include "toolkit/NumberFormat.h"
#include "toolkit/Services.h"

tk::FormSlot<FrmMain> frmMain;

namespace {

using tk::Kind;
constexpr const char* kDisplayFace = "MS Sans Serif";
constexpr int kDisplayHundredthsPt = 1350;

// The currency buttons' context menu.
constexpr tk::MenuSpec kCurrencyMenu[] = {
    {.name = "mnuHistory",
     .caption = "&History...",
     .click = tk::Handler<&FrmMain::mnuHistory_Click>},
};

constexpr tk::ControlSpec kControls[] = {
    {.kind = Kind::Picture,
     .name = "Picture1",
     .caption = "",
     .rect = {.left = 120, .top = 120, .width = 2775, .height = 440},
     .tabOrder = 0,
     .flags = tk::kWindowColors | tk::kNoTabStop},
    {.kind = Kind::Label,
     .name = "lblVal",
     .caption = "0",
     .rect = {.left = 0, .top = 0, .width = 2055, .height = 375},
     .tabOrder = 1,
     .flags = tk::kRightAlign | tk::kBold | tk::kWindowColors,
     .parent = FrmMain::Picture1,
     .fontFace = kDisplayFace,
     .fontHundredthsPt = kDisplayHundredthsPt},
    {.kind = Kind::Label,
     .name = "lblCur",
     .caption = "",
     .rect = {.left = 2160, .top = 120, .width = 615, .height = 255},
     .tabOrder = 2,
     .flags = tk::kBold | tk::kWindowColors,
     .parent = FrmMain::Picture1,
     .fontFace = kDisplayFace,
     .fontHundredthsPt = 975},
    {.kind = Kind::Button,
     .name = "cmdCur",
     .index = 0,
     .caption = "???",
     .rect = {.left = 120, .top = 720, .width = 615, .height = 375},
     .tabOrder = 3,
     .flags = tk::kToolTip,
     .click = tk::Handler<&FrmMain::cmdCur_Click>,
     .contextMenu = kCurrencyMenu},
    {.kind = Kind::Button,
     .name = "cmdCur",
     .index = 1,
     .caption = "???",
     .rect = {.left = 840, .top = 720, .width = 615, .height = 375},
     .tabOrder = 4,
     .flags = tk::kToolTip,
     .click = tk::Handler<&FrmMain::cmdCur_Click>,
     .contextMenu = kCurrencyMenu},
    {.kind = Kind::Button,
     .name = "cmdCur",
     .index = 2,
     .caption = "???",
     .rect = {.left = 1560, .top = 720, .width = 615, .height = 375},
     .tabOrder = 5,
     .flags = tk::kToolTip,
     .click = tk::Handler<&FrmMain::cmdCur_Click>,
     .contextMenu = kCurrencyMenu},
    {.kind = Kind::Button,
     .name = "cmdCur",
     .index = 3,
     .caption = "???",
     .rect = {.left = 2280, .top = 720, .width = 615, .height = 375},
     .tabOrder = 6,
     .flags = tk::kToolTip,
     .click = tk::Handler<&FrmMain::cmdCur_Click>,
     .contextMenu = kCurrencyMenu},
    {.kind = Kind::Button,
     .name = "cmdCur",
     .index = 4,
     .caption = "???",
     .rect = {.left = 120, .top = 1200, .width = 615, .height = 375},
     .tabOrder = 7,
     .flags = tk::kToolTip,
     .click = tk::Handler<&FrmMain::cmdCur_Click>,
     .contextMenu = kCurrencyMenu},
    {.kind = Kind::Button,
     .name = "cmdCur",
     .index = 5,
     .caption = "???",
     .rect = {.left = 840, .top = 1200, .width = 615, .height = 375},
     .tabOrder = 8,
     .flags = tk::kToolTip,
     .click = tk::Handler<&FrmMain::cmdCur_Click>,
     .contextMenu = kCurrencyMenu},
    {.kind = Kind::Button,
     .name = "cmdCur",
     .index = 6,
     .caption = "???",
     .rect = {.left = 1560, .top = 1200, .width = 615, .height = 375},
     .tabOrder = 9,
     .flags = tk::kToolTip,
     .click = tk::Handler<&FrmMain::cmdCur_Click>,
     .contextMenu = kCurrencyMenu},
    {.kind = Kind::Button,
     .name = "cmdCur",
     .index = 7,
     .caption = "???",
     .rect = {.left = 2280, .top = 1200, .width = 615, .height = 375},
     .tabOrder = 10,
     .flags = tk::kToolTip,
     .click = tk::Handler<&FrmMain::cmdCur_Click>,
     .contextMenu = kCurrencyMenu},
    {.kind = Kind::Label,
     .name = "lblOp",
     .caption = "",
     .rect = {.left = 60, .top = 0, .width = 300, .height = 375},
     .tabOrder = 11,
     .flags = tk::kBold | tk::kWindowColors | tk::kOverlay,
     .parent = FrmMain::Picture1,
     .fontFace = kDisplayFace,
     .fontHundredthsPt = kDisplayHundredthsPt},
};

// Every control id of FrmMain names its control in the table.
static_assert(std::size(kControls) == FrmMain::lblOp + 1);
static_assert(tk::ControlsAre(kControls, FrmMain::Picture1, "Picture1"));
static_assert(tk::ControlsAre(kControls, FrmMain::lblVal, "lblVal"));
static_assert(tk::ControlsAre(kControls, FrmMain::lblCur, "lblCur"));
static_assert(tk::ControlsAre(kControls, FrmMain::cmdCur0, "cmdCur", FrmMain::kCurrencyButtons));
static_assert(tk::ControlsAre(kControls, FrmMain::lblOp, "lblOp"));

constexpr tk::MenuSpec kMenus[] = {
    {.name = "mnuOptions", .caption = "&Options", .click = tk::Handler<&FrmMain::mnuOptions_Click>},
    {.name = "mnuExit", .caption = "E&xit", .click = tk::Handler<&FrmMain::mnuExit_Click>},
    {.name = "mnuHelp", .caption = "&Help", .click = tk::Handler<&FrmMain::mnuHelp_Click>},
};

// Every menu id of FrmMain names its command in the table.
static_assert(std::size(kMenus) == FrmMain::mnuHelp + 1);
static_assert(tk::MenuIs(kMenus, FrmMain::mnuOptions, "mnuOptions"));
static_assert(tk::MenuIs(kMenus, FrmMain::mnuExit, "mnuExit"));
static_assert(tk::MenuIs(kMenus, FrmMain::mnuHelp, "mnuHelp"));

constexpr std::int64_t kDigitLimit = 100'000'000LL * Money::kScale;

using Operation = FrmMain::Operation;

// What each operation is typed as, shown as and read out as, in the order of Operation.
// The signs are in the display font's character set, which has no minus sign of its own.
struct OperationText {
    char key;
    const char* sign;
    const char* word;
};
constexpr OperationText kOperations[] = {
    {'\0', "", ""},      {'+', "+", "plus"},       {'-', "-", "minus"},
    {'*', "×", "times"}, {'/', "÷", "divided by"},
};
static_assert(std::size(kOperations) == static_cast<std::size_t>(Operation::Divide) + 1);

const OperationText& TextOf(Operation operation) {
    return kOperations[static_cast<std::size_t>(operation)];
}

// The operation that the character `key` types; None for any other character.
Operation OperationOf(std::int16_t key) {
    for (std::size_t i = 1; i < std::size(kOperations); ++i) {
        if (key == kOperations[i].key) return static_cast<Operation>(i);
    }
    return Operation::None;
}

Checked<Money> Calculate(Operation operation, Money left, Money right) {
    switch (operation) {
        case Operation::Add:
            return Add(left, right);
        case Operation::Subtract:
            return Sub(left, right);
        case Operation::Multiply:
            return Mul(left, right);
        case Operation::Divide:
            return Div(left, right);
        case Operation::None:
            break;
    }
    return {right};
}

std::int64_t PowerOfTen(int n) {
    std::int64_t p = 1;
    while (n-- > 0) p *= 10;
    return p;
}

// A code without the blanks that pad it to three characters.
std::string TrimmedCode(std::string code) {
    while (!code.empty() && code.back() == ' ') code.pop_back();
    return code;
}

std::string CodeOf(int index) { return TrimmedCode(mdlData::CurrencyTable[index].Short.str()); }

// An amount as the display writes it, without the decimal separator it ends in when no
// decimal follows ("100." reads "100").
std::string ShownAmount(std::string text, const tk::Separators& sep) {
    if (!sep.decimal.empty() && text.size() > sep.decimal.size() && text.ends_with(sep.decimal))
        text.resize(text.size() - sep.decimal.size());
    return text;
}

// The reference currency: the first live entry whose Value is 1; -1 when there is none.
int ReferenceCurrency() {
    for (int i = 0; i < mdlData::CurrencyCount(); ++i) {
        const CurrencyEntry& e = mdlData::CurrencyTable[i];
        if (!e.Name.empty() && e.Value == Money::Whole(1)) return i;
    }
    return -1;
}

}  // namespace

const tk::FormSpec FrmMain::kSpec = {
    .name = "frmMain",
    .caption = program::kTitle,
    .clientWidth = 2985,
    .clientHeight = 1665,
    .flags = tk::kMinimizeBox | tk::kKeyPreview | tk::kShowInTaskbar,
    .controls = kControls,
    .menus = kMenus,
};

void FrmMain::Form_Load() {
    for (int i = 0; i < kCurrencyButtons; ++i) ShowSlotCaption(i);
    ClearEntry();
}

void FrmMain::ShowSlotCaption(int slot) {
    const int index = mdlData::SelectedSlots[slot];
    if (mdlData::IsIndex(index)) SetText(cmdCur0 + slot, mdlData::CurrencyTable[index].Short.str());
}

void FrmMain::Form_Unload() {
    frmHistory.Unload();
    frmEdit.Unload();
    frmOpt.Unload();
    frmUpdate.Unload();
}

void FrmMain::mnuOptions_Click() { frmOpt.Show(true); }

void FrmMain::mnuHistory_Click(std::int16_t index) {
    if (index < 0 || index >= kCurrencyButtons) return;
    const int quote = mdlData::SelectedSlots[index];
    if (!mdlData::IsIndex(quote)) return;
    const bool displayBase = mdlData::IsIndex(CurrentCurrency) && CurrentCurrency != quote;
    const CurrencyEntry base =
        displayBase ? mdlData::CurrencyTable[CurrentCurrency] : mdlData::ReferenceEntry();
    frmHistory().ShowPair(base, mdlData::CurrencyTable[quote]);
    frmHistory.Show(true);
}

void FrmMain::mnuExit_Click() { frmMain.Unload(); }

void FrmMain::mnuHelp_Click() {
    tk::ShellService* shell = tk::Services().shell;
    if (shell == nullptr) return;
    shell->ShellExecute("open", "notepad.exe", tk::Services().app->Path() + "\\pecun.txt", "",
                        tk::ShowCommand::Normal);
}

void FrmMain::Form_Resize() {
    if (Peer().WindowState() == tk::kStateMinimized && mdlData::MinimizeToTray) {
        mdlTrayIcon::AddTrayIcon(Peer().Handle(), program::kTitle, Peer().IconHandle());
        Peer().SetVisible(false);
    } else {
        mdlTrayIcon::RemoveTrayIcon();
        if (!Peer().Visible()) Peer().SetVisible(true);
    }
}

void FrmMain::Form_MouseMove(std::int16_t, std::int16_t, float x, float) {
    const double pixels = std::nearbyint(static_cast<double>(x) / Peer().TwipsPerPixelX());
    // The icon's callback brings the mouse message that happened over it as x.
    const auto is = [pixels](tk::MouseMessage m) { return pixels == static_cast<double>(m); };
    if (is(tk::MouseMessage::LeftButtonUp) || is(tk::MouseMessage::LeftDoubleClick) ||
        is(tk::MouseMessage::RightButtonUp)) {
        Peer().SetWindowState(tk::kStateNormal);
        Peer().SetVisible(true);
    }
}

void FrmMain::ClearEntry() {
    CurrentAmount = Money();
    DecimalState = 0;
    CurrentCurrency = -1;
    startNewAmount_ = false;
    DropOperation();
    SetText(lblCur, "");
    RefreshDisplay();
}

void FrmMain::RefreshDisplay() {
    const tk::Separators sep = tk::UserSeparators();
    const std::int64_t raw = CurrentAmount.Raw();
    std::string text = tk::FormatGrouped2(raw, sep);
    if (DecimalState != 0 && (CurrentCurrency == -1 || TypingRightOperand())) {
        if (DecimalState >= kThirdDecimalTyped) {
            // Third and fourth typed decimals show exactly as typed.
            text = tk::FormatGroupedFixed(raw, DecimalState - 1, sep);
        } else {
            const std::string f = tk::FormatFraction4(Fraction(CurrentAmount).Raw(), sep);
            const int length = static_cast<int>(f.size() - sep.decimal.size()) + 1;
            if (DecimalState > length)
                text.append(static_cast<std::size_t>(DecimalState - length), '0');
        }
    }
    SetText(lblVal, text);
    DisplayChanged();
}

void FrmMain::AddDigit(int digit) {
    if (PendingOperation != Operation::None) {
        if (!rightTyped_ || startNewAmount_) StartRightOperand();
    } else if (CurrentCurrency != -1 || startNewAmount_) {
        ClearEntry();
    }
    const std::int64_t raw = CurrentAmount.Raw();
    if (raw > kDigitLimit || raw < -kDigitLimit || DecimalState == kFourthDecimalTyped) {
        tk::Beep();
        return;
    }
    // A negative amount grows in magnitude with its sign.
    const std::int64_t signedDigit = raw < 0 ? -digit : digit;
    Checked<Money> next;
    if (DecimalState == 0) {
        next = MulWhole(CurrentAmount, 10);
        if (next.ok()) next = Add(next.value, Money::Whole(static_cast<std::int32_t>(signedDigit)));
    } else {
        next = Add(CurrentAmount,
                   Money::FromRaw(signedDigit * PowerOfTen(Money::kDecimals - DecimalState)));
    }
    if (!next.ok()) {
        tk::Beep();
        return;
    }
    CurrentAmount = next.value;
    if (DecimalState != 0) ++DecimalState;
    RefreshDisplay();
}

void FrmMain::Backspace() {
    if (DecimalState == 0) {
        CurrentAmount = Money::FromRaw(RoundedWhole(CurrentAmount) / 10 * Money::kScale);
    } else if (DecimalState == kPointTyped) {
        DecimalState = 0;
    } else {
        CurrentAmount = TruncateDecimals(CurrentAmount, DecimalState - 2);
        --DecimalState;
    }
}

void FrmMain::Form_KeyPress(std::int16_t& keyAscii) {
    if (keyAscii >= '0' && keyAscii <= '9') {
        AddDigit(keyAscii - '0');
    } else if (keyAscii == tk::kKeyEscape) {
        ClearEntry();
    } else if (keyAscii == '.') {
        if (PendingOperation != Operation::None && !rightTyped_) {
            StartRightOperand();
            DecimalState = kPointTyped;
            RefreshDisplay();
        } else if (DecimalState == 0) {
            DecimalState = kPointTyped;
        }
    } else if (keyAscii == tk::kKeyBackspace) {
        if (PendingOperation != Operation::None && !rightTyped_) {
            // Takes the operator back.
            DropOperation();
            DisplayChanged();
        } else {
            Backspace();
            RefreshDisplay();
        }
    } else if (const Operation operation = OperationOf(keyAscii); operation != Operation::None) {
        TakeOperator(operation);
    } else if (keyAscii == '=') {
        ApplyPending();
    } else if (keyAscii == tk::kKeyEnter && PendingOperation != Operation::None) {
        ApplyPending();
        keyAscii = 0;  // Enter presses no button then
    }
}

void FrmMain::TakeOperator(Operation operation) {
    if (PendingOperation != Operation::None && !rightTyped_) {
        PendingOperation = operation;
    } else {
        if (!ApplyPending()) return;
        leftAmount_ = CurrentAmount;
        leftDecimalState_ = DecimalState;
        leftStartNewAmount_ = startNewAmount_;
        leftText_ = Text(lblVal);
        PendingOperation = operation;
        rightTyped_ = false;
    }
    SetText(lblOp, TextOf(operation).sign);
    DisplayChanged();
}

bool FrmMain::ApplyPending() {
    if (PendingOperation == Operation::None) return true;
    if (!rightTyped_) {
        DropOperation();
        DisplayChanged();
        return true;
    }
    const Checked<Money> result = Calculate(PendingOperation, leftAmount_, CurrentAmount);
    DropOperation();
    if (!result.ok()) {
        tk::Beep();
        CurrentAmount = leftAmount_;
        DecimalState = leftDecimalState_;
        startNewAmount_ = leftStartNewAmount_;
        SetText(lblVal, leftText_);
        DisplayChanged();
        return false;
    }
    CurrentAmount = result.value;
    DecimalState = 0;
    startNewAmount_ = true;
    RefreshDisplay();
    return true;
}

void FrmMain::DropOperation() {
    PendingOperation = Operation::None;
    rightTyped_ = false;
    SetText(lblOp, "");
}

void FrmMain::StartRightOperand() {
    CurrentAmount = Money();
    DecimalState = 0;
    startNewAmount_ = false;
    rightTyped_ = true;
}

void FrmMain::Form_KeyDown(std::int16_t keyCode, std::int16_t shift) {
    if (shift != tk::kCtrlMask) return;
    if (keyCode == 'V') Paste();
    if (keyCode == 'C' || keyCode == 'X') Copy();
}

void FrmMain::Paste() {
    tk::ClipboardService* clipboard = tk::Services().clipboard;
    if (clipboard == nullptr || !clipboard->HasText()) return;
    const double number = ParseLeadingNumber(clipboard->GetText());
    if (number == 0.0) return;
    const Checked<Money> amount = MoneyFromDouble(number);
    if (!amount.ok()) {
        tk::Beep();
        return;
    }
    // While an operation is pending, the pasted amount is its right operand.
    if (PendingOperation != Operation::None) {
        StartRightOperand();
    } else {
        ClearEntry();
    }
    CurrentAmount = amount.value;
    startNewAmount_ = Fraction(CurrentAmount).Raw() != 0;
    RefreshDisplay();
}

void FrmMain::Copy() {
    tk::ClipboardService* clipboard = tk::Services().clipboard;
    if (clipboard == nullptr) return;
    clipboard->Clear();
    clipboard->SetText(tk::FormatPlain(CurrentAmount.Raw(), tk::UserSeparators()));
}

void FrmMain::cmdCur_Click(std::int16_t index) {
    if (index < 0 || index >= kCurrencyButtons ||
        !mdlData::IsIndex(mdlData::SelectedSlots[index])) {
        tk::Beep();
        return;
    }
    if (!ApplyPending()) return;
    const std::int16_t target = mdlData::SelectedSlots[index];
    // The table may have shrunk under the current currency (defaults restored).
    if (CurrentCurrency != -1 && !mdlData::IsIndex(CurrentCurrency)) ClearEntry();
    const bool converts = CurrentCurrency != -1;
    if (converts) {
        const Checked<Money> result = mdlData::Convert(CurrentAmount, CurrentCurrency, target);
        if (!result.ok()) {
            tk::Beep();
            return;
        }
        CurrentAmount = result.value;
    }
    CurrentCurrency = target;
    SetText(lblCur, mdlData::CurrencyTable[CurrentCurrency].Short.str());
    // The first press only names the typed amount's currency: the display keeps its text.
    if (converts) {
        RefreshDisplay();
    } else {
        DisplayChanged();
    }
}

void FrmMain::DisplayChanged() {
    const std::string code = TrimmedCode(Text(lblCur));
    const tk::Separators sep = tk::UserSeparators();
    const bool pending = PendingOperation != Operation::None;
    std::string name = ShownAmount(pending ? leftText_ : Text(lblVal), sep);
    if (!code.empty()) name += " " + code;
    if (pending) {
        name.append(" ").append(TextOf(PendingOperation).word);
        if (rightTyped_) name.append(" ").append(ShownAmount(Text(lblVal), sep));
    }
    Peer().SetAccessibleName(Picture1, name);
    Peer().ToolTipsChanged();
}

std::string FrmMain::ToolTipText(int control) {
    const int slot = control - cmdCur0;
    if (slot < 0 || slot >= kCurrencyButtons || !mdlData::IsIndex(mdlData::SelectedSlots[slot]))
        return {};
    const int target = mdlData::SelectedSlots[slot];
    const tk::Separators sep = tk::UserSeparators();
    std::string text;
    if (CurrentCurrency != -1 && mdlData::IsIndex(CurrentCurrency)) {
        const Checked<Money> result = mdlData::Convert(CurrentAmount, CurrentCurrency, target);
        if (result.ok()) {
            text = ShownAmount(Text(lblVal), sep) + " " + CodeOf(CurrentCurrency) + " = " +
                   ShownAmount(tk::FormatGrouped2(result.value.Raw(), sep), sep) + " " +
                   CodeOf(target) + "\r\n";
        }
    }
    if (const int reference = ReferenceCurrency(); reference != -1) {
        text += "1 " + CodeOf(reference) + " = " +
                tk::FormatGroupedFixed(mdlData::CurrencyTable[target].Value.Raw(), Money::kDecimals,
                                       sep) +
                " " + CodeOf(target) + "\r\n";
    }
    return text + rates::OriginText(mdlData::CurrencyTable[target].Origin);
}
