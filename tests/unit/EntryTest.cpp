// The main window's entry logic, driven as a user does: keys and button clicks.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ProductTexts.h"
#include "frmMain.h"
#include "mdlData.h"
#include "toolkit/headless/Headless.h"

namespace {

// Button positions of the default slots.
constexpr int EUR = 0, USD = 1, JPY = 2, GBP = 3, DEM = 4, FRF = 5, CHF = 6, BEF = 7;

class EntryTest : public testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Close(); }
    // The default table and a fresh main window, as at the start of every test.
    void Reset() {
        Close();
        ui.beeps = 0;
        mdlData::RestoreDefaults();
        frmMain.Show();
    }
    void Close() {
        tk::DiscardAll();
    }

    FrmMain& form() { return frmMain(); }
    void Type(const std::string& keys) { ui.Type(form(), keys); }
    void Press(int button) { ui.Click(form(), FrmMain::cmdCur0 + button); }
    void Ctrl(char letter) { ui.Ctrl(form(), letter); }
    void Paste(const std::string& text) {
        ui.SetText(text);
        Ctrl('V');
    }
    std::string Display() { return form().Text(FrmMain::lblVal); }
    std::string Code() { return form().Text(FrmMain::lblCur); }
    void SwapSeparators() { ui.separators = {",", "."}; }
    // Plays `script`: "{EUR}" presses the button of EUR, "{V:TEXT}" pastes TEXT, every other
    // character is typed ("\r" is Enter).
    void Play(std::string_view script) {
        while (!script.empty()) {
            const std::size_t open = std::min(script.find('{'), script.size());
            Type(std::string(script.substr(0, open)));
            if (open == script.size()) return;
            const std::size_t close = script.find('}', open);
            const std::string_view action = script.substr(open + 1, close - open - 1);
            if (action.starts_with("V:")) {
                Paste(std::string(action.substr(2)));
            } else {
                Press(ButtonOf(action));
            }
            script.remove_prefix(close + 1);
        }
    }
    int ButtonOf(std::string_view code) {
        for (int i = 0; i < FrmMain::kCurrencyButtons; ++i) {
            if (form().Text(FrmMain::cmdCur0 + i) == code) return i;
        }
        ADD_FAILURE() << "no button " << code;
        return -1;
    }

    tk::headless::Platform ui;
};

struct TypingCase {
    const char* keys;
    const char* display;
    std::int64_t raw;
    int decimalState;
    int beeps;
};

TEST_F(EntryTest, TypedAmountsShowAsTyped) {
    const TypingCase cases[] = {
        {"", "0.", 0, 0, 0},
        {"12", "12.", 120000, 0, 0},
        {"12.", "12.", 120000, 1, 0},
        {"12.5", "12.5", 125000, 2, 0},
        {"12.50", "12.50", 125000, 3, 0},
        {"12.00", "12.00", 120000, 3, 0},
        {"1234567", "1,234,567.", 12345670000, 0, 0},
        {"12.345", "12.345", 123450, 4, 0},
        {"1.2340", "1.2340", 12340, 5, 0},
        {"0.0001", "0.0001", 1, 5, 0},
        {"12.3456", "12.3456", 123456, 5, 0},
        {"12.34567", "12.3456", 123456, 5, 1},
        {"..5", "0.5", 5000, 2, 0},
        {"1234567890", "123,456,789.", 1234567890000, 0, 1},
        {"1000000005", "1,000,000,005.", 10000000050000, 0, 0},
        {"10000000051", "1,000,000,005.", 10000000050000, 0, 1},
        {"123456789.5", "123,456,789.", 1234567890000, 1, 1},
        {"12,5", "125.", 1250000, 0, 0},
        {"1234\b", "123.", 1230000, 0, 0},
        {"0.290\b", "0.29", 2900, 3, 0},
        {"12.34\b", "12.3", 123000, 2, 0},
        {"12.34\b\b", "12.", 120000, 1, 0},
        {"12.34\b\b\b", "12.", 120000, 0, 0},
        {"12.34\b\b\b\b", "1.", 10000, 0, 0},
        {"12.34\b\b\b\b\b", "0.", 0, 0, 0},
        {"12.345\b", "12.34", 123400, 3, 0},
        {"123\x1b", "0.", 0, 0, 0},
        {"7\x1b"
         "5",
         "5.", 50000, 0, 0},
    };
    for (const auto& c : cases) {
        Reset();
        Type(c.keys);
        EXPECT_EQ(Display(), c.display) << "keys \"" << c.keys << "\"";
        EXPECT_EQ(form().CurrentAmount.Raw(), c.raw) << "keys \"" << c.keys << "\"";
        EXPECT_EQ(form().DecimalState, c.decimalState) << "keys \"" << c.keys << "\"";
        EXPECT_EQ(ui.beeps, c.beeps) << "keys \"" << c.keys << "\"";
    }
}

TEST_F(EntryTest, RegionalSeparatorsShowButThePointIsTyped) {
    SwapSeparators();
    Type("1234567.5");
    EXPECT_EQ(Display(), "1.234.567,5");
    Type(
        "\x1b"
        "12,5");
    EXPECT_EQ(Display(), "125,") << "the comma key does nothing";
}

TEST_F(EntryTest, TheFirstButtonNamesTheCurrencyTheNextConvert) {
    Type("100");
    Press(EUR);
    EXPECT_EQ(Display(), "100.");
    EXPECT_EQ(Code(), "EUR");
    Press(BEF);
    EXPECT_EQ(Display(), "4,033.99");
    EXPECT_EQ(Code(), "BEF");
    Press(BEF);
    EXPECT_EQ(Display(), "4,033.99") << "the same button only recomputes";
    Press(DEM);
    EXPECT_EQ(Display(), "195.58");
    EXPECT_EQ(Code(), "DEM");
    EXPECT_EQ(ui.beeps, 0);
}

TEST_F(EntryTest, ConversionWithSwappedSeparators) {
    SwapSeparators();
    Type("100");
    Press(EUR);
    Press(BEF);
    EXPECT_EQ(Display(), "4.033,99");
    Press(DEM);
    EXPECT_EQ(Display(), "195,58");
}

TEST_F(EntryTest, TypedZerosStayUntilTheFirstConversion) {
    Type("12.50");
    Press(USD);
    EXPECT_EQ(Display(), "12.50");
    Press(USD);
    EXPECT_EQ(Display(), "12.5");
}

TEST_F(EntryTest, AfterAConversionADigitStartsANewAmount) {
    Type("100");
    Press(EUR);
    Press(BEF);
    Type(".5");
    EXPECT_EQ(Display(), "5.");
    EXPECT_EQ(Code(), "");
    EXPECT_EQ(form().CurrentCurrency, -1);
}

TEST_F(EntryTest, BackspaceEditsAConvertedAmount) {
    Type("100");
    Press(EUR);
    Press(BEF);
    Type("\b");
    EXPECT_EQ(Display(), "403.");
    EXPECT_EQ(Code(), "BEF");
}

TEST_F(EntryTest, EscClearsTheCurrency) {
    Type("100");
    Press(EUR);
    Type("\x1b");
    EXPECT_EQ(Display(), "0.");
    EXPECT_EQ(Code(), "");
    EXPECT_EQ(form().CurrentCurrency, -1);
}

struct PasteCase {
    const char* clipboard;
    const char* display;
    std::int64_t raw;
};

TEST_F(EntryTest, PasteTakesTheLeadingNumber) {
    const PasteCase cases[] = {
        {"12,50", "12.", 120000},    {"-5", "-5.", -50000}, {" 40.3399 francs", "40.34", 403399},
        {"1e3", "1,000.", 10000000}, {"abc", "7.", 70000},  // no number: nothing changes
        {"0", "7.", 70000},          {"", "7.", 70000},
    };
    for (const auto& c : cases) {
        Reset();
        Type("7");
        Paste(c.clipboard);
        EXPECT_EQ(Display(), c.display) << "clipboard \"" << c.clipboard << "\"";
        EXPECT_EQ(form().CurrentAmount.Raw(), c.raw) << "clipboard \"" << c.clipboard << "\"";
        EXPECT_EQ(ui.beeps, 0);
    }
}

TEST_F(EntryTest, PasteClearsTheCurrency) {
    Type("100");
    Press(EUR);
    Paste("3");
    EXPECT_EQ(Code(), "");
    EXPECT_EQ(form().CurrentCurrency, -1);
    Type("1");
    EXPECT_EQ(Display(), "31.") << "a pasted whole number is extended by digits";
}

TEST_F(EntryTest, PastedNegativeAmountsGrowWithTheirSign) {
    Paste("-5");
    Type("3");
    EXPECT_EQ(Display(), "-53.");
    Type(".25");
    EXPECT_EQ(Display(), "-53.25");
    Paste("-100000001");
    Type("1");
    EXPECT_EQ(Display(), "-100,000,001.") << "the digit limit applies to the magnitude";
    EXPECT_EQ(ui.beeps, 1);
}

TEST_F(EntryTest, APastedAmountWithDecimalsIsNotExtended) {
    Paste("1.25");
    Type(".3");
    EXPECT_EQ(Display(), "3.");
    Paste("1.25");
    Type("\b");
    EXPECT_EQ(Display(), "0.") << "1.25 rounds to 1, then loses its last digit";
}

TEST_F(EntryTest, APasteOutsideTheRangeBeepsAndChangesNothing) {
    Type("100");
    Press(EUR);
    Paste("1e300");
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_EQ(Display(), "100.");
    EXPECT_EQ(Code(), "EUR");
    ui.Clear();
    Ctrl('V');
    EXPECT_EQ(Display(), "100.") << "an empty clipboard changes nothing";
}

TEST_F(EntryTest, CopyPutsThePlainAmount) {
    Type("12.50");
    Ctrl('C');
    EXPECT_EQ(ui.clipboard, "12.5");
    Type("*");
    Ctrl('C');
    EXPECT_EQ(ui.clipboard, "12.5") << "the left operand, shown until the right one begins";
    Type("3.0");
    Ctrl('C');
    EXPECT_EQ(ui.clipboard, "3") << "the right operand";
    Type(
        "\x1b"
        "100");
    Press(EUR);
    Press(BEF);
    Ctrl('X');
    EXPECT_EQ(ui.clipboard, "4033.99");
    EXPECT_EQ(Display(), "4,033.99") << "Ctrl+X copies and keeps the amount";
    Type("\x1b");
    Ctrl('C');
    EXPECT_EQ(ui.clipboard, "0");
    SwapSeparators();
    Type("12.5");
    Ctrl('C');
    EXPECT_EQ(ui.clipboard, "12,5");
}

TEST_F(EntryTest, OnlyCtrlAloneCopiesOrPastes) {
    Type("5");
    ui.SetText("9");
    form().Form_KeyDown('V', tk::kCtrlMask | tk::kShiftMask);
    form().Form_KeyDown('C', tk::kCtrlMask | tk::kAltMask);
    form().Form_KeyDown('V', 0);
    EXPECT_EQ(Display(), "5.");
    EXPECT_EQ(ui.clipboard, "9");
}

TEST_F(EntryTest, ConversionOverflowBeepsAndKeepsTheState) {
    mdlData::CurrencyTable[12].Value = Money::FromRaw(7876);  // behind the USD button
    mdlData::CurrencyTable[13].Value = Money::FromRaw(19362700);
    Paste("922337203685");
    Press(USD);
    Press(JPY);
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_EQ(Display(), "922,337,203,685.");
    EXPECT_EQ(Code(), "USD");
    EXPECT_EQ(form().CurrentCurrency, 12);
}

TEST_F(EntryTest, AZeroRateIsNoDivisor) {
    mdlData::CurrencyTable[0].Value = Money();
    Type("100");
    Press(EUR);
    Press(BEF);
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_EQ(Display(), "100.");
    EXPECT_EQ(Code(), "EUR");
}

TEST_F(EntryTest, BackspaceOnAmountsBeyondThirtyTwoBits) {
    Paste("123456789012345");
    Type("\b");
    EXPECT_EQ(Display(), "12,345,678,901,234.");
    Paste("-25000000000.5");
    Type("\b");
    EXPECT_EQ(Display(), "-2,500,000,000.");
}

TEST_F(EntryTest, AShrunkTableClearsTheEntryFirst) {
    mdlData::CurrencyTable.resize(25, CurrencyEntry{"Extra", "XTR", Money::Whole(2)});
    mdlData::SelectedSlots[0] = 24;
    Type("100");
    Press(0);
    EXPECT_EQ(Code(), "XTR");
    mdlData::RestoreDefaults();
    Press(USD);
    EXPECT_EQ(Display(), "0.");
    EXPECT_EQ(Code(), "USD");
    EXPECT_EQ(form().CurrentCurrency, 12);
}

TEST_F(EntryTest, ButtonsShowTheirSlotsCodes) {
    const char* codes[] = {"EUR", "USD", "JPY", "GBP", "DEM", "FRF", "CHF", "BEF"};
    for (int i = 0; i < FrmMain::kCurrencyButtons; ++i)
        EXPECT_EQ(form().Text(FrmMain::cmdCur0 + i), codes[i]) << i;

    Close();
    mdlData::CurrencyTable[1].Short = "ZA";
    mdlData::CurrencyTable[1].Name.clear();  // a deleted entry still shows its code
    frmMain.Show();
    EXPECT_EQ(form().Text(FrmMain::cmdCur0 + BEF), "ZA ");
    EXPECT_EQ(Display(), "0.");
}

// The tips of the currency buttons and the display's accessible name, as a screen reader
// gets them.
constexpr const char* kBuiltIn = product::kBuiltInRate;

TEST_F(EntryTest, EachButtonsTipTellsTheConversionTheRateAndTheRatesAge) {
    const struct {
        const char* what;
        bool swapped;
        const char* keys;
        std::vector<int> presses;
        int button;
        std::string tip;
        const char* displayName;
    } cases[] = {
        {"a typed amount in no currency", false, "100", {}, JPY,
         "1 EUR = 116.0000 JPY\r\n" + std::string(kBuiltIn), "100"},
        {"a typed amount with its currency", false, "100", {EUR}, JPY,
         "100 EUR = 11,600 JPY\r\n1 EUR = 116.0000 JPY\r\n" + std::string(kBuiltIn), "100 EUR"},
        {"after a conversion", false, "100", {EUR, USD}, JPY,
         "106.13 USD = 11,600 JPY\r\n1 EUR = 116.0000 JPY\r\n" + std::string(kBuiltIn),
         "106.13 USD"},
        {"typed zeros as shown", false, "12.50", {EUR}, USD,
         "12.50 EUR = 13.27 USD\r\n1 EUR = 1.0613 USD\r\n" + std::string(kBuiltIn), "12.50 EUR"},
        {"the amount's own currency", false, "100", {EUR}, EUR,
         "100 EUR = 100 EUR\r\n1 EUR = 1.0000 EUR\r\n" + std::string(kBuiltIn), "100 EUR"},
        {"the user's separators", true, "1000.5", {EUR}, JPY,
         "1.000,5 EUR = 116.058 JPY\r\n1 EUR = 116,0000 JPY\r\n" + std::string(kBuiltIn),
         "1.000,5 EUR"},
        {"cleared again", false, "100\x1b", {}, BEF,
         "1 EUR = 40.3399 BEF\r\n" + std::string(kBuiltIn),
         "0"},
    };
    for (const auto& c : cases) {
        Reset();
        ui.separators = c.swapped ? std::pair<std::string, std::string>{",", "."}
                                  : std::pair<std::string, std::string>{".", ","};
        Type(c.keys);
        for (int button : c.presses) Press(button);
        const tk::headless::Window& w = tk::headless::Platform::PeerOf(form());
        EXPECT_EQ(w.ToolTip(FrmMain::cmdCur0 + c.button), c.tip) << c.what;
        EXPECT_EQ(w.AccessibleName(FrmMain::Picture1), c.displayName) << c.what;
        EXPECT_EQ(ui.beeps, 0) << c.what;
    }
}

TEST_F(EntryTest, TipsLeaveOutWhatCannotBeSaid) {
    // A conversion that would overflow: no first line, and no beep.
    mdlData::CurrencyTable[12].Value = Money::FromRaw(7876);
    mdlData::CurrencyTable[13].Value = Money::FromRaw(19362700);
    Paste("922337203685");
    Press(USD);
    const tk::headless::Window& w = tk::headless::Platform::PeerOf(form());
    EXPECT_EQ(w.ToolTip(FrmMain::cmdCur0 + JPY),
              "1 EUR = 1,936.2700 JPY\r\n" + std::string(kBuiltIn));
    EXPECT_EQ(ui.beeps, 0);
    // A code shorter than three characters; no entry worth 1, so no rate line.
    mdlData::CurrencyTable[0].Value = Money::Whole(2);
    mdlData::CurrencyTable[13].Short = "JP";
    Type("\x1b" "5");
    Press(USD);
    EXPECT_EQ(w.ToolTip(FrmMain::cmdCur0 + JPY),
              "5 USD = 12,292.22 JP\r\n" + std::string(kBuiltIn));
    // Only the currency buttons have tips.
    EXPECT_EQ(w.ToolTip(FrmMain::lblVal), "");
}

TEST_F(EntryTest, EveryChangeOfTheDisplayIsAnnouncedOnce) {
    const tk::headless::Window& w = tk::headless::Platform::PeerOf(form());
    const int before = w.controls[FrmMain::Picture1].nameChanges;
    Type("12");             // 1., then 12.
    Press(EUR);             // 12 EUR
    Press(USD);             // 12.74 USD, announced once though the code changed too
    Type(".");              // the display does not change
    EXPECT_EQ(w.AccessibleName(FrmMain::Picture1), "12.74 USD");
    EXPECT_EQ(w.controls[FrmMain::Picture1].nameChanges - before, 4);
    EXPECT_GT(w.tipChanges, 0);
    Type("*2=");  // 12.74 USD times, 12.74 USD times 2, 25.47 USD
    EXPECT_EQ(w.AccessibleName(FrmMain::Picture1), "25.47 USD");
    EXPECT_EQ(w.controls[FrmMain::Picture1].nameChanges - before, 7);
}

// Sums typed as on a pocket calculator. The window gives the first button the focus.
struct CalculationCase {
    const char* what;
    const char* script;  // as Play takes it
    const char* display;
    const char* code;
    const char* sign;  // the operation's sign beside the amount
    const char* name;  // the display's accessible name
    int beeps;
    bool swapped = false;  // "," as the decimal and "." as the thousands separator
};

TEST_F(EntryTest, CalculatesLeftToRight) {
    const CalculationCase cases[] = {
        {"no precedence", "10+5*2=", "30.", "", "", "30", 0},
        {"minus and divided by", "10-2.5/2=", "3.75", "", "", "3.75", 0},
        {"a result takes the next operator", "10+5=*2=", "30.", "", "", "30", 0},
        {"a digit after a result starts anew", "10+5=3", "3.", "", "", "3", 0},
        {"the left operand until a digit", "19.99*", "19.99", "", "\u00d7", "19.99 times", 0},
        {"the right operand", "19.99*3", "3.", "", "\u00d7", "19.99 times 3", 0},
        {"an operator replaced before any digit", "8*/-", "8.", "", "-", "8 minus", 0},
        {"the replacing one applies", "8*/-2=", "6.", "", "", "6", 0},
        {"a button names the result's currency", "19.99*3{EUR}", "59.97", "EUR", "", "59.97 EUR",
         0},
        {"a button converts the result", "100{EUR}*3{USD}", "318.39", "USD", "", "318.39 USD", 0},
        {"the right operand keeps the currency", "100{EUR}+5", "5.", "EUR", "+", "100 EUR plus 5",
         0},
        {"the result in the left's currency", "100{EUR}/8=", "12.5", "EUR", "", "12.5 EUR", 0},
        {"a button drops an operator alone", "100{EUR}*{USD}", "106.13", "USD", "", "106.13 USD",
         0},
        {"= drops an operator alone", "100*=", "100.", "", "", "100", 0},
        {"decimals typed", "100*1.50", "1.50", "", "\u00d7", "100 times 1.50", 0},
        {"decimals typed in a currency", "100{EUR}*1.50", "1.50", "EUR", "\u00d7",
         "100 EUR times 1.50", 0},
        {"a point begins the right operand", "100*.5=", "50.", "", "", "50", 0},
        {"Backspace in the right operand", "100*1.55\b", "1.5", "", "\u00d7", "100 times 1.5", 0},
        {"Backspace takes an operator alone back", "100*\b5", "1,005.", "", "", "1,005", 0},
        {"a fifth decimal beeps", "2*0.12345", "0.1234", "", "\u00d7", "2 times 0.1234", 1},
        {"the digit limit", "2*1234567890", "123,456,789.", "", "\u00d7", "2 times 123,456,789", 1},
        {"a pasted right operand", "100*{V:2.5}=", "250.", "", "", "250", 0},
        {"overflow shows the left operand again", "{V:900000000000000}*2=", "900,000,000,000,000.",
         "", "", "900,000,000,000,000", 1},
        {"division by zero, typed zeros kept", "12.50/0=", "12.50", "", "", "12.50", 1},
        {"division by zero before a button", "100{EUR}/0{USD}", "100.", "EUR", "", "100 EUR", 1},
        {"the least amount has no opposite", "0-{V:-922337203685477.5808}=", "0.", "", "", "0", 1},
        {"a difference exact to the range's end", "{V:-1}-{V:-922337203685477.5808}=",
         "922,337,203,685,476.58", "", "", "922,337,203,685,476.58", 0},
        {"Esc clears the operation", "100{EUR}*3\x1b", "0.", "", "", "0", 0},
        {"nothing pending after Esc",
         "100*3\x1b"
         "5=",
         "5.", "", "", "5", 0},
        {"Enter applies and presses no button", "12*3\r", "36.", "", "", "36", 0},
        {"Enter alone presses the focused button", "12\r", "12.", "EUR", "", "12 EUR", 0},
        {"= alone does nothing", "12=", "12.", "", "", "12", 0},
        {"% does nothing", "100+19%", "19.", "", "+", "100 plus 19", 0},
        {"the comma does nothing", "3*1,5=", "45.", "", "", "45", 0},
        {"the user's separators", "1000.5*2", "2,", "", "\u00d7", "1.000,5 times 2", 0, true},
        {"the user's separators in the result", "1000.5*2=", "2.001,", "", "", "2.001", 0, true},
    };
    for (const auto& c : cases) {
        Reset();
        if (c.swapped) SwapSeparators();
        tk::headless::Platform::PeerOf(form()).SetFocus(FrmMain::cmdCur0 + EUR);
        Play(c.script);
        EXPECT_EQ(Display(), c.display) << c.what;
        EXPECT_EQ(Code(), c.code) << c.what;
        EXPECT_EQ(form().Text(FrmMain::lblOp), c.sign) << c.what;
        EXPECT_EQ(tk::headless::Platform::PeerOf(form()).AccessibleName(FrmMain::Picture1), c.name)
            << c.what;
        EXPECT_EQ(ui.beeps, c.beeps) << c.what;
    }
}

}  // namespace
