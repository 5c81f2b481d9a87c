#include "mdlData.h"

#include <cmath>

#include "TextHelpers.h"
#include "frmUpdate.h"
#include "mdlMain.h"
#include "toolkit/NumberFormat.h"
#include "toolkit/Services.h"

namespace mdlData {

std::vector<CurrencyEntry> CurrencyTable;
std::array<std::int16_t, 8> SelectedSlots{};
std::int16_t BaseCurrency = 0;
bool MinimizeToTray = false;
bool DownloadOnStartup = false;

namespace {

struct Resource {
    int id;
    std::string_view text;
};

constexpr Resource kResources[] = {
#define PECUN_COUNT(text) {101, text},
#define PECUN_SLOT(j, text) {150 + (j), text},
#define PECUN_CURRENCY(i, code, name, value) \
    {200 + (i), name}, {300 + (i), code}, {400 + (i), value},
#include "resources/defaults.inc"
#undef PECUN_COUNT
#undef PECUN_SLOT
#undef PECUN_CURRENCY
};

// The whole part (towards minus infinity) of a leading number, if it is a whole number in
// [lo, hi]; a text with no number in front is no number.
std::optional<long> WholeNumber(std::string_view text, long lo, long hi) {
    bool numberInFront = false;
    const double v = std::floor(ParseLeadingNumber(text, &numberInFront));
    if (!numberInFront || !(v >= static_cast<double>(lo) && v <= static_cast<double>(hi))) {
        return std::nullopt;
    }
    return static_cast<long>(v);
}

std::string Read(std::string_view key, std::string_view fallback) {
    return tk::Services().settings->ReadSetting(kApp, kSection, key, fallback);
}

bool Write(std::string_view key, std::string_view text) {
    return tk::Services().settings->WriteSetting(kApp, kSection, key, text);
}

std::string Key(char letter, int index) { return letter + std::to_string(index); }

// An index read from the store; one outside the table gives `fallback` (itself checked).
std::int16_t ReadIndex(std::string_view key, std::int16_t fallback) {
    auto v = WholeNumber(Read(key, "0"), 0, CurrencyCount() - 1);
    if (v) return static_cast<std::int16_t>(*v);
    return IsIndex(fallback) ? fallback : 0;
}

std::int16_t DefaultSlot(int j) {
    auto v = WholeNumber(DefaultResource(150 + j), 0, kMaxCurrencies);
    return v ? static_cast<std::int16_t>(*v) : 0;
}

Money ReadValue(std::string_view key) {
    return MoneyFromStoreText(Read(key, "1")).value_or(Money::Whole(1));
}

// The update dialog shown modeless, its update run at once.
void RunUpdateInDialog() {
    frmUpdate.Show(false);
    frmUpdate().cmdOK_Click();
}

void AskFirstRunDownload() {
    int answer = tk::MsgBox("Do you want to download the latest conversion rates now?",
                            tk::kYesNo | tk::kIconQuestion, mdlMain::kAppTitle);
    if (answer == tk::kResultYes) RunUpdateInDialog();
}

void RunStartupDownload() {
    RunUpdateInDialog();
    FrmUpdate* dialog = frmUpdate.IfLoaded();
    const bool failed =
        dialog != nullptr && dialog->Text(FrmUpdate::lblStatus).find("Error") != std::string::npos;
    if (!failed) frmUpdate.Unload();
}

}  // namespace

std::string_view DefaultResource(int id) {
    for (const Resource& r : kResources) {
        if (r.id == id) return r.text;
    }
    return {};
}

void RestoreDefaults() {
    auto count = WholeNumber(DefaultResource(101), 0, kMaxCurrencies);
    CurrencyTable.resize(count ? static_cast<std::size_t>(*count) : 0);
    BaseCurrency = 0;
    for (int i = 0; i < CurrencyCount(); ++i) {
        CurrencyEntry& e = CurrencyTable[i];
        e.Name = std::string(DefaultResource(200 + i));
        e.Short = DefaultResource(300 + i);
        e.Value = MoneyFromDouble(ParseLeadingNumber(DefaultResource(400 + i))).value;
    }
    for (int j = 0; j < 8; ++j) SelectedSlots[j] = DefaultSlot(j);
    SaveSettings();
}

std::optional<std::int16_t> NewEntryIndex(std::vector<CurrencyEntry>& table, std::size_t from) {
    for (std::size_t i = from; i < table.size(); ++i) {
        if (table[i].Name.empty()) return static_cast<std::int16_t>(i);
    }
    if (table.size() >= static_cast<std::size_t>(kMaxCurrencies)) return std::nullopt;
    table.emplace_back();
    return static_cast<std::int16_t>(table.size() - 1);
}

std::optional<std::int16_t> TakeNewEntryIndex() { return NewEntryIndex(CurrencyTable); }

bool ReadSettings() {
    const tk::SettingsBatch batch(kApp, kSection);
    // A count that is not a number, negative or too large is no table: a first run.
    auto count = WholeNumber(Read("CN", "0"), 0, kMaxCurrencies);
    CurrencyTable.resize(count ? static_cast<std::size_t>(*count) : 0);
    BaseCurrency = ReadIndex("BC", 0);

    const bool firstRun = CurrencyCount() == 0;
    if (!firstRun) {
        for (int i = 0; i < CurrencyCount(); ++i) {
            CurrencyEntry& e = CurrencyTable[i];
            e.Name = Read(Key('L', i), "Euro");
            e.Short = Read(Key('S', i), "EUR");
            e.Value = ReadValue(Key('V', i));
        }
        for (int j = 0; j < 8; ++j) SelectedSlots[j] = ReadIndex(Key('U', j), DefaultSlot(j));
    } else {
        RestoreDefaults();
    }
    MinimizeToTray = ParseBool(Read("MinimizeToTray", "True"), true);
    DownloadOnStartup = ParseBool(Read("DownloadOnStartup", "False"), false);
    return firstRun;
}

void LoadSettings() {
    if (ReadSettings()) AskFirstRunDownload();
    if (DownloadOnStartup) RunStartupDownload();
}

bool SaveSettings() {
    const tk::SettingsBatch batch(kApp, kSection);
    bool ok = Write("CN", std::to_string(CurrencyCount()));
    ok = Write("BC", std::to_string(BaseCurrency)) && ok;
    for (int i = 0; i < CurrencyCount(); ++i) {
        const CurrencyEntry& e = CurrencyTable[i];
        ok = Write(Key('L', i), e.Name) && ok;
        ok = Write(Key('S', i), e.Short.str()) && ok;
        ok = Write(Key('V', i), MoneyStoreText(e.Value)) && ok;
    }
    for (int j = 0; j < 8; ++j) ok = Write(Key('U', j), std::to_string(SelectedSlots[j])) && ok;
    ok = Write("MinimizeToTray", MinimizeToTray ? "True" : "False") && ok;
    ok = Write("DownloadOnStartup", DownloadOnStartup ? "True" : "False") && ok;
    return ok;
}

std::string MoneyStoreText(Money value) {
    // The plain number with "." for its point, and a blank where a minus sign would stand.
    std::string text(value.Raw() < 0 ? 0 : 1, ' ');
    text.append(tk::FormatPlain(value.Raw(), {.decimal = ".", .thousands = ""}));
    return text;
}

std::optional<Money> MoneyFromStoreText(std::string_view text) {
    const bool negative = text.starts_with('-');
    std::string_view digits = text;
    if (negative || text.starts_with(' ')) digits.remove_prefix(1);
    const std::size_t point = digits.find('.');
    const bool exact = point == std::string_view::npos ||
                       digits.size() - point - 1 <= static_cast<std::size_t>(Money::kDecimals);
    if (exact) {
        if (const std::optional<Money> v = MoneyFromDecimalText(digits, negative)) return v;
    }
    const Checked<Money> v = MoneyFromDouble(ParseLeadingNumber(text));
    return v.ok() ? std::optional<Money>(v.value) : std::nullopt;
}

bool ParseBool(std::string_view text, bool fallback) {
    const std::string lower = tk::AsciiLowerCase(text);
    if (lower == "true") return true;
    if (lower == "false") return false;
    bool number = false;
    const double v = ParseLeadingNumber(text, &number);
    return number ? v != 0.0 : fallback;
}

}  // namespace mdlData
