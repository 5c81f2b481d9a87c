// The main window's entry, driven by a script of user actions; the options dialog's add,
// edit, delete, set and default come in between. Script bytes in the main window:
//   A-H        press currency button 0-7
//   c x v      Ctrl+C, Ctrl+X, Ctrl+V
//   p TEXT LF  puts TEXT (escapes as in Support.h) on the clipboard, then Ctrl+V
//   n          empties the clipboard
//   r          (leading only) the next of the regional separator pairs, which the window
//              finds when it opens
//   o ... ;    opens the options dialog for the commands up to ";" (or the end), closes it
//   any other  typed as a key (digits, ".", Esc \x1b, Backspace \b, Enter \r, the
//              operators + - * / and "=", ...)
// In the options dialog:
//   a NAME TAB CODE TAB RATE LF   add a currency through the editor (Cancel if OK refuses)
//   e NAME TAB CODE TAB RATE LF   edit the selected line's currency
//   l BYTE     select line BYTE modulo the number of lines (none when there is none)
//   s BYTE     set slot BYTE modulo 9 (8: the base) to the selected line
//   d          delete the selected line
//   f F        Default, answering yes / no
// After every action: the entry state is consistent and shows its amount, and the sign of
// an operation exactly while one is pending; a conversion gives the amount times the ratio
// of the rates; a copy holds the exact amount, and pasting it back gives the amount again;
// "=" and Enter leave no operation pending; the options dialog's list and the slots are
// consistent.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Support.h"
#include "TextHelpers.h"
#include "frmEdit.h"
#include "frmMain.h"
#include "frmOpt.h"
#include "mdlData.h"
#include "toolkit/NumberFormat.h"

namespace {

using i128 = __int128;

const std::pair<const char*, const char*> kSeparators[] = {
    {".", ","}, {",", "."}, {",", "\xC2\xA0"}, {".", "'"}};
constexpr std::int64_t kExactThroughDouble = std::int64_t{1} << 51;

struct Script {
    std::string_view rest;
    bool Done() const { return rest.empty(); }
    char Next() {
        const char c = rest.front();
        rest.remove_prefix(1);
        return c;
    }
    unsigned char Byte() { return Done() ? 0 : static_cast<unsigned char>(Next()); }
    std::string_view Line() {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        const std::string_view line = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        return line;
    }
};

struct Entry {
    std::int64_t raw;
    std::int16_t decimalState;
    std::int16_t currency;
};

class Session {
public:
    explicit Session(std::string_view script) : script_{script} {}

    void Run() {
        tk::headless::Platform& ui = fuzz::Ui();
        ui.onModal = [this](tk::Form& form) { OnModal(form); };
        std::size_t separators = 0;
        while (!script_.Done() && script_.rest.front() == 'r') {
            script_.Next();
            separators = (separators + 1) % std::size(kSeparators);
        }
        ui.separators = kSeparators[separators];
        frmMain.Show(false);
        CheckEntry("start");
        while (!script_.Done()) {
            const char c = script_.Next();
            ++step_;
            MainAction(c);
            CheckEntry(std::string("after ") + fuzz::Quote(std::string_view(&c, 1)));
        }
        ui.onModal = nullptr;
    }

private:
    FrmMain& Main() { return frmMain(); }
    Entry Capture() { return {Main().CurrentAmount.Raw(), Main().DecimalState, Main().CurrentCurrency}; }
    std::string Where() const { return "step " + std::to_string(step_); }

    void MainAction(char c) {
        tk::headless::Platform& ui = fuzz::Ui();
        if (c >= 'A' && c <= 'H') {
            Press(c - 'A');
        } else if (c == 'c' || c == 'x') {
            Copy(c == 'c' ? 'C' : 'X');
        } else if (c == 'v') {
            Paste();
        } else if (c == 'p') {
            ui.SetText(fuzz::Unescape(script_.Line()));
            Paste();
        } else if (c == 'n') {
            ui.Clear();
        } else if (c == 'o') {
            ui.Menu(Main(), FrmMain::mnuOptions);
            FUZZ_CHECK(!frmOpt.Loaded() && !frmEdit.Loaded(), Where() + ": a dialog stayed loaded");
        } else {
            ui.Type(Main(), std::string_view(&c, 1));
            if (c == '\x1b') staleAllowed_ = false;
            if (c == '=' || c == '\r') {
                FUZZ_CHECK(Main().PendingOperation == FrmMain::Operation::None,
                           Where() + ": an operation stayed pending");
            }
        }
    }

    // A button converts the amount from the current currency into the slot's, or only
    // names the currency when there is none; a conversion that cannot be made beeps and
    // changes nothing.
    // A pending operation is applied first: the conversion then starts from its result,
    // unless it failed, when the button beeps and does nothing more.
    void Press(int slot) {
        tk::headless::Platform& ui = fuzz::Ui();
        const bool pending = Main().PendingOperation != FrmMain::Operation::None;
        const Entry before = Capture();
        const int beeps = ui.beeps;
        const std::int16_t target = mdlData::SelectedSlots[static_cast<std::size_t>(slot)];
        ui.Click(Main(), FrmMain::cmdCur0 + slot);
        staleAllowed_ = false;
        const Entry after = Capture();
        const std::string what = Where() + ": button " + std::to_string(slot) + " from currency " +
                                 std::to_string(before.currency) + " amount " +
                                 std::to_string(before.raw);
        FUZZ_CHECK(Main().PendingOperation == FrmMain::Operation::None,
                   what + ": the operation stayed pending");
        if (pending) {
            FUZZ_CHECK(after.currency == (ui.beeps != beeps ? before.currency : target) ||
                           (ui.beeps != beeps && staleAllowed_),
                       what + ": after an operation, currency " + std::to_string(after.currency));
            return;
        }
        if (ui.beeps != beeps) {
            FUZZ_CHECK(after.raw == before.raw && after.currency == before.currency,
                       what + ": beeped and changed the entry");
            FUZZ_CHECK(before.currency != -1 && mdlData::IsIndex(before.currency),
                       what + ": beeped without a conversion to make");
            return;
        }
        FUZZ_CHECK(after.currency == target, what + ": now currency " + std::to_string(after.currency));
        if (before.currency == -1 || !mdlData::IsIndex(before.currency)) {
            FUZZ_CHECK(after.raw == (before.currency == -1 ? before.raw : 0),
                       what + ": the amount changed to " + std::to_string(after.raw));
            return;
        }
        // Exact: amount x to / from. The product is rounded to a ten-thousandth, which the
        // division scales; the division's doubles are within 2^-50 of the value.
        const long double from = static_cast<long double>(mdlData::CurrencyTable[before.currency].Value.Raw());
        const long double to = static_cast<long double>(mdlData::CurrencyTable[target].Value.Raw());
        const long double exact = static_cast<long double>(before.raw) * to / from;
        const long double bound = 0.5L + 0.5L * 10000.0L / std::fabs(from) +
                                  std::fabs(exact) * std::ldexp(1.0L, -49) + 1e-6L;
        FUZZ_CHECK(std::fabs(static_cast<long double>(after.raw) - exact) <= bound,
                   what + " to " + std::to_string(target) + ": " + std::to_string(after.raw) +
                       ", exact " + std::to_string(static_cast<double>(exact)));
    }

    // A copy puts the exact amount on the clipboard in the plain regional form.
    void Copy(char letter) {
        tk::headless::Platform& ui = fuzz::Ui();
        const Entry before = Capture();
        ui.Ctrl(Main(), letter);
        const std::string text = ui.GetText();
        const std::string what = Where() + ": copied " + std::to_string(before.raw) + " as " + fuzz::Quote(text);
        FUZZ_CHECK(ui.HasText(), what);
        const tk::Separators sep = tk::UserSeparators();
        std::optional<i128> value = ReadDecimal(text, sep.decimal, "", false);
        FUZZ_CHECK(value && *value == before.raw, what);
        const Entry after = Capture();
        FUZZ_CHECK(after.raw == before.raw && after.currency == before.currency &&
                       after.decimalState == before.decimalState,
                   what + ": the entry changed");
        copied_ = text;
        copiedRaw_ = before.raw;
        copiedWithPoint_ = sep.decimal == ".";
    }

    // A paste reads the clipboard's leading number as the new amount, no currency (while
    // an operation is pending: as its right operand, in the same currency); no number (or
    // 0) changes nothing; one outside the range beeps and changes nothing.
    void Paste() {
        tk::headless::Platform& ui = fuzz::Ui();
        const FrmMain::Operation operation = Main().PendingOperation;
        const Entry before = Capture();
        const int beeps = ui.beeps;
        const bool hasText = ui.HasText();
        const std::string text = ui.GetText();
        ui.Ctrl(Main(), 'V');
        const Entry after = Capture();
        const std::string what = Where() + ": pasted " + fuzz::Quote(text.substr(0, 100));
        const double v = hasText ? ParseLeadingNumber(text) : 0.0;
        const long double count = static_cast<long double>(v) * 10000.0L;
        const long double slack = std::fabs(count) * std::ldexp(1.0L, -52);
        const bool fits = std::fabs(count) + slack < std::ldexp(1.0L, 63) - 0.5L;
        if (v == 0.0 || (!fits && ui.beeps != beeps)) {
            FUZZ_CHECK(after.raw == before.raw && after.currency == before.currency &&
                           after.decimalState == before.decimalState,
                       what + ": the entry changed");
            return;
        }
        FUZZ_CHECK(ui.beeps == beeps, what + ": beeped");
        FUZZ_CHECK(Main().PendingOperation == operation, what + ": the operation changed");
        FUZZ_CHECK(
            after.currency == (operation == FrmMain::Operation::None ? -1 : before.currency) &&
                after.decimalState == 0,
            what + ": entry state");
        FUZZ_CHECK(std::fabs(static_cast<long double>(after.raw) - count) <= 0.5L + slack,
                   what + ": amount " + std::to_string(after.raw));
        staleAllowed_ = false;
        if (hasText && text == copied_ && copiedWithPoint_ && copiedRaw_ != 0 &&
            copiedRaw_ > -kExactThroughDouble && copiedRaw_ < kExactThroughDouble) {
            FUZZ_CHECK(after.raw == copiedRaw_,
                       what + ": copied " + std::to_string(copiedRaw_) + ", pasted back " +
                           std::to_string(after.raw));
        }
    }

    // A number as the program writes it: an optional minus sign, whole digits (grouped by
    // three with `thousands` when it is not empty), `decimal` and decimals. nullopt when
    // the text is not one; the value in ten-thousandths.
    static std::optional<i128> ReadDecimal(std::string_view text, std::string_view decimal,
                                           std::string_view thousands, bool decimalAlways) {
        std::size_t pos = 0;
        const bool negative = text.starts_with('-');
        if (negative) pos = 1;
        i128 value = 0;
        std::vector<int> groups{0};
        while (pos < text.size()) {
            const char c = text[pos];
            if (c >= '0' && c <= '9') {
                if (value > (i128{1} << 100)) return std::nullopt;
                value = value * 10 + (c - '0');
                ++groups.back();
                ++pos;
            } else if (!thousands.empty() && text.substr(pos).starts_with(thousands)) {
                groups.push_back(0);
                pos += thousands.size();
            } else {
                break;
            }
        }
        if (groups.front() < 1 || groups.front() > (groups.size() > 1 ? 3 : 64)) return std::nullopt;
        for (std::size_t g = 1; g < groups.size(); ++g) {
            if (groups[g] != 3) return std::nullopt;
        }
        int places = 0;
        if (text.substr(pos).starts_with(decimal)) {
            pos += decimal.size();
            for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
                value = value * 10 + (text[pos] - '0');
                if (++places > 4) return std::nullopt;
            }
        } else if (decimalAlways) {
            return std::nullopt;
        }
        if (pos != text.size()) return std::nullopt;
        for (; places < 4; ++places) value *= 10;
        return negative ? -value : value;
    }

    void CheckEntry(const std::string& when) {
        FrmMain& main = Main();
        const std::string what = Where() + " " + when;
        FUZZ_CHECK(main.DecimalState >= 0 && main.DecimalState <= 5,
                   what + ": DecimalState " + std::to_string(main.DecimalState));
        FUZZ_CHECK(main.CurrentCurrency == -1 || mdlData::IsIndex(main.CurrentCurrency) || staleAllowed_,
                   what + ": currency " + std::to_string(main.CurrentCurrency) + " in a table of " +
                       std::to_string(mdlData::CurrencyCount()));
        const std::string code = main.Text(FrmMain::lblCur);
        FUZZ_CHECK((main.CurrentCurrency == -1) == code.empty(),
                   what + ": currency " + std::to_string(main.CurrentCurrency) + " shown as " + fuzz::Quote(code));
        const std::string sign = main.Text(FrmMain::lblOp);
        FUZZ_CHECK((main.PendingOperation == FrmMain::Operation::None) == sign.empty(),
                   what + ": the operation's sign " + fuzz::Quote(sign));
        // The display shows the amount, to two decimals or as the decimals were typed.
        const tk::Separators sep = tk::UserSeparators();
        const std::string shown = main.Text(FrmMain::lblVal);
        const std::optional<i128> value = ReadDecimal(shown, sep.decimal, sep.thousands, true);
        const std::int64_t raw = main.CurrentAmount.Raw();
        FUZZ_CHECK(value.has_value(), what + ": the display " + fuzz::Quote(shown) + " is no number");
        const i128 diff = *value - raw;
        FUZZ_CHECK(diff >= -50 && diff <= 50,
                   what + ": the display " + fuzz::Quote(shown) + " for " + std::to_string(raw));
    }

    // Modal dialogs: the options dialog runs the script's options commands; the editor
    // takes the fields given.
    void OnModal(tk::Form& form) {
        if (&form == frmOpt.IfLoaded()) {
            RunOptions();
            fuzz::Ui().Click(frmOpt(), FrmOpt::cmdOK);
        } else if (&form == frmEdit.IfLoaded()) {
            FrmEdit& editor = frmEdit();
            editor.SetText(FrmEdit::txtName, editFields_[0]);
            editor.SetText(FrmEdit::txtShort, editFields_[1]);
            editor.SetText(FrmEdit::txtValue, editFields_[2]);
            fuzz::Ui().Click(editor, FrmEdit::cmdOK);
            if (frmEdit.Loaded()) fuzz::Ui().Click(frmEdit(), FrmEdit::cmdCancel);
        }
    }

    void ReadEditFields() {
        const std::string line = fuzz::Unescape(script_.Line());
        std::size_t from = 0;
        for (std::string& field : editFields_) {
            const std::size_t tab = std::min(line.find('\t', from), line.size());
            field = line.substr(std::min(from, line.size()), tab - std::min(from, line.size()));
            from = tab + 1;
        }
    }

    void RunOptions() {
        tk::headless::Platform& ui = fuzz::Ui();
        fuzz::CheckIndices(Where() + ", options opened");
        fuzz::CheckOptionsList(Where() + ", options opened");
        while (!script_.Done()) {
            const char c = script_.Next();
            if (c == ';') break;
            ++step_;
            FrmOpt& options = frmOpt();
            tk::WindowPeer& peer = options.Peer();
            switch (c) {
                case 'a':
                    ReadEditFields();
                    ui.Click(options, FrmOpt::cmdAdd);
                    break;
                case 'e':
                    ReadEditFields();
                    ui.Click(options, FrmOpt::cmdEdit);
                    break;
                case 'l': {
                    const int count = peer.ListCount(FrmOpt::lstCur);
                    const unsigned char b = script_.Byte();
                    peer.SetListIndex(FrmOpt::lstCur, count == 0 ? -1 : b % count);
                    break;
                }
                case 's':
                    ui.Click(options, FrmOpt::cmdSet0 + script_.Byte() % FrmOpt::kRows);
                    break;
                case 'd':
                    ui.Click(options, FrmOpt::cmdDelete);
                    break;
                case 'f':
                case 'F':
                    ui.answers.push_back(c == 'f' ? tk::MsgBoxResult::Yes : tk::MsgBoxResult::No);
                    ui.Click(options, FrmOpt::cmdDefault);
                    ui.answers.clear();
                    // The table may have shrunk under the entry's currency.
                    if (c == 'f') staleAllowed_ = true;
                    break;
                default:
                    break;
            }
            FUZZ_CHECK(frmOpt.Loaded() && !frmEdit.Loaded(), Where() + ": the options dialog closed");
            const std::string when = Where() + ", options " + fuzz::Quote(std::string_view(&c, 1));
            fuzz::CheckIndices(when);
            fuzz::CheckOptionsList(when);
            CheckEntry(when);
        }
    }

    Script script_;
    int step_ = 0;
    bool staleAllowed_ = false;
    std::string editFields_[3];
    std::string copied_;
    std::int64_t copiedRaw_ = 0;
    bool copiedWithPoint_ = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ResetProgram();
    Session(std::string_view(reinterpret_cast<const char*>(data), size)).Run();
    return 0;
}
