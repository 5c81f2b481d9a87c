#include "mdlData.h"

#include <algorithm>
#include <cmath>

#include "Identity.h"
#include "NbpTables.h"
#include "Publications.h"
#include "TextHelpers.h"
#include "frmUpdate.h"
#include "toolkit/NumberFormat.h"
#include "toolkit/Services.h"

namespace mdlData {

std::vector<CurrencyEntry> CurrencyTable;
std::array<std::int16_t, kSlotCount> SelectedSlots{};
std::int16_t BaseCurrency = 0;
bool MinimizeToTray = false;
bool DownloadOnStartup = false;

namespace {

// The number of entries whose "R" keys the store holds: the value of "RN" as last read or
// written.
std::int16_t storedOrigins = 0;

constexpr std::string_view kBuiltInText = "Built-in";
constexpr std::string_view kEuroText = "Euro";
constexpr std::string_view kEuroCode = "EUR";
constexpr std::string_view kEcbText = "ECB";
constexpr std::string_view kNbpText = "NBP";
constexpr std::string_view kHandText = "Hand";
constexpr char kOriginSeparator = ' ';

struct Resource {
    int id;
    std::string_view text;
};

constexpr Resource kResources[] = {
#define PECUN_COUNT(text) {kCountResource, text},
#define PECUN_SLOT(j, text) {kSlotResource + (j), text},
#define PECUN_CURRENCY(i, code, name, value) \
    {kNameResource + (i), name}, {kCodeResource + (i), code}, {kValueResource + (i), value},
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

std::string Key(char letter, int index) { return letter + std::to_string(index); }

// An index read from the store; one outside the table gives `fallback` (itself checked).
std::int16_t ReadIndex(std::string_view key, std::int16_t fallback) {
    auto v = WholeNumber(ReadSetting(key, "0"), 0, CurrencyCount() - 1);
    if (v) return static_cast<std::int16_t>(*v);
    return IsIndex(fallback) ? fallback : 0;
}

std::int16_t DefaultSlot(int j) {
    auto v = WholeNumber(DefaultResource(kSlotResource + j), 0, kMaxCurrencies);
    return v ? static_cast<std::int16_t>(*v) : 0;
}

Money ReadValue(std::string_view key) {
    return MoneyFromStoreText(ReadSetting(key, "1")).value_or(Money::Whole(1));
}

// Just past the last entry whose origin is known; 0 when none is.
std::int16_t OriginsToKeep() {
    for (int i = CurrencyCount(); i > 0; --i) {
        if (CurrencyTable[i - 1].Origin.kind != RateOrigin::Kind::Unknown) {
            return static_cast<std::int16_t>(i);
        }
    }
    return 0;
}

// The text after `word` and one separator at the start of `text`; nullopt when `text` does
// not start so.
std::optional<std::string_view> After(std::string_view text, std::string_view word) {
    if (!text.starts_with(word) || text.size() <= word.size() ||
        text[word.size()] != kOriginSeparator) {
        return std::nullopt;
    }
    return text.substr(word.size() + 1);
}

bool IsDay(std::string_view text) { return publications::IsoDate(text).has_value(); }

// The update dialog shown modeless, its update run at once.
void RunUpdateInDialog() {
    frmUpdate.Show(false);
    frmUpdate().cmdOK_Click();
}

void AskFirstRunDownload() {
    const tk::MsgBoxResult answer =
        tk::MsgBox("Do you want to download the latest conversion rates now?",
                   tk::MsgBoxFlags::YesNo | tk::MsgBoxFlags::IconQuestion, program::kTitle);
    if (answer == tk::MsgBoxResult::Yes) RunUpdateInDialog();
}

void RunStartupDownload() {
    RunUpdateInDialog();
    FrmUpdate* dialog = frmUpdate.IfLoaded();
    if (dialog == nullptr || !dialog->Failed()) frmUpdate.Unload();
}

}  // namespace

std::string ReadSetting(std::string_view key, std::string_view fallback) {
    tk::SettingsStore* store = tk::Services().settings;
    return store
               ? store->ReadSetting(program::kSettingsApp, program::kSettingsSection, key, fallback)
               : std::string(fallback);
}

bool WriteSetting(std::string_view key, std::string_view text) {
    tk::SettingsStore* store = tk::Services().settings;
    return store &&
           store->WriteSetting(program::kSettingsApp, program::kSettingsSection, key, text);
}

Checked<Money> Convert(Money amount, int from, int to) {
    const Checked<Money> product = Mul(amount, CurrencyTable[to].Value);
    return product.ok() ? Div(product.value, CurrencyTable[from].Value) : product;
}

std::string_view DefaultResource(int id) {
    for (const Resource& r : kResources) {
        if (r.id == id) return r.text;
    }
    return {};
}

CurrencyEntry ReferenceEntry() {
    const ShortCode euro(kEuroCode);
    for (const CurrencyEntry& e : CurrencyTable) {
        if (!e.Name.empty() && e.Short == euro) return e;
    }
    return {.Name = std::string(kEuroText),
            .Short = euro,
            .Value = Money::Whole(1),
            .Origin = {.kind = RateOrigin::Kind::Euro}};
}

void RestoreDefaults() {
    auto count = WholeNumber(DefaultResource(kCountResource), 0, kMaxCurrencies);
    CurrencyTable.resize(count ? static_cast<std::size_t>(*count) : 0);
    BaseCurrency = 0;
    for (int i = 0; i < CurrencyCount(); ++i) {
        CurrencyEntry& e = CurrencyTable[i];
        e.Name = std::string(DefaultResource(kNameResource + i));
        e.Short = DefaultResource(kCodeResource + i);
        e.Value = MoneyFromDouble(ParseLeadingNumber(DefaultResource(kValueResource + i))).value;
        e.Origin = {.kind = RateOrigin::Kind::BuiltIn};
    }
    for (int j = 0; j < kSlotCount; ++j) SelectedSlots[j] = DefaultSlot(j);
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

namespace {

void ReadEntry(int i) {
    CurrencyEntry& e = CurrencyTable[i];
    e.Name = ReadSetting(Key('L', i), "Euro");
    e.Short = ReadSetting(Key('S', i), kEuroCode);
    e.Value = ReadValue(Key('V', i));
    e.Origin = i < storedOrigins ? OriginFromStoreText(ReadSetting(Key('R', i), "")) : RateOrigin{};
}

bool IsSlotEntry(int i) {
    return std::find(SelectedSlots.begin(), SelectedSlots.end(), i) != SelectedSlots.end();
}

// The settings with the slots' entries alone of the table (the others empty); every entry on a
// first run, which restores the defaults. True on a first run.
bool ReadSlotSettings() {
    const tk::SettingsBatch batch(program::kSettingsApp, program::kSettingsSection);
    // A count that is not a number, negative or too large is no table: a first run.
    auto count = WholeNumber(ReadSetting("CN", "0"), 0, kMaxCurrencies);
    CurrencyTable.assign(count ? static_cast<std::size_t>(*count) : 0, CurrencyEntry{});
    BaseCurrency = ReadIndex("BC", 0);
    const auto kept = WholeNumber(ReadSetting(kOriginCountKey, "0"), 0, kMaxCurrencies);
    storedOrigins = static_cast<std::int16_t>(kept.value_or(0));

    const bool firstRun = CurrencyCount() == 0;
    if (!firstRun) {
        for (int j = 0; j < kSlotCount; ++j)
            SelectedSlots[j] = ReadIndex(Key('U', j), DefaultSlot(j));
        for (int i = 0; i < CurrencyCount(); ++i) {
            if (IsSlotEntry(i)) ReadEntry(i);
        }
    } else {
        RestoreDefaults();
    }
    MinimizeToTray = ParseBool(ReadSetting("MinimizeToTray", "True"), true);
    DownloadOnStartup = ParseBool(ReadSetting("DownloadOnStartup", "False"), false);
    return firstRun;
}

// The entries ReadSlotSettings left out.
void ReadOtherEntries() {
    const tk::SettingsBatch batch(program::kSettingsApp, program::kSettingsSection);
    for (int i = 0; i < CurrencyCount(); ++i) {
        if (!IsSlotEntry(i)) ReadEntry(i);
    }
}

}  // namespace

bool ReadSettings() {
    const bool firstRun = ReadSlotSettings();
    if (!firstRun) ReadOtherEntries();
    return firstRun;
}

void LoadSettings(const std::function<void()>& slotsRead) {
    const bool firstRun = ReadSlotSettings();
    if (!firstRun) {
        if (slotsRead && !DownloadOnStartup) slotsRead();
        ReadOtherEntries();
    }
    if (firstRun) AskFirstRunDownload();
    if (DownloadOnStartup) RunStartupDownload();
}

bool SaveSettings() {
    const tk::SettingsBatch batch(program::kSettingsApp, program::kSettingsSection);
    bool ok = WriteSetting("CN", std::to_string(CurrencyCount()));
    ok = WriteSetting("BC", std::to_string(BaseCurrency)) && ok;
    storedOrigins = std::max(storedOrigins, OriginsToKeep());
    ok = WriteSetting(kOriginCountKey, std::to_string(storedOrigins)) && ok;
    for (int i = 0; i < CurrencyCount(); ++i) {
        const CurrencyEntry& e = CurrencyTable[i];
        ok = WriteSetting(Key('L', i), e.Name) && ok;
        ok = WriteSetting(Key('S', i), e.Short.str()) && ok;
        ok = WriteSetting(Key('V', i), MoneyStoreText(e.Value)) && ok;
        if (i < storedOrigins) ok = WriteSetting(Key('R', i), OriginStoreText(e.Origin)) && ok;
    }
    for (int j = 0; j < kSlotCount; ++j)
        ok = WriteSetting(Key('U', j), std::to_string(SelectedSlots[j])) && ok;
    ok = WriteSetting("MinimizeToTray", MinimizeToTray ? "True" : "False") && ok;
    ok = WriteSetting("DownloadOnStartup", DownloadOnStartup ? "True" : "False") && ok;
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

std::string OriginStoreText(const RateOrigin& origin) {
    const std::string separator(1, kOriginSeparator);
    switch (origin.kind) {
        case RateOrigin::Kind::Unknown:
            return {};
        case RateOrigin::Kind::BuiltIn:
            return std::string(kBuiltInText);
        case RateOrigin::Kind::Euro:
            return std::string(kEuroText);
        case RateOrigin::Kind::Ecb:
            return std::string(kEcbText) + separator + origin.date;
        case RateOrigin::Kind::Nbp:
            return std::string(kNbpText) + separator + origin.table + separator + origin.date;
        case RateOrigin::Kind::Hand:
            return origin.date.empty() ? std::string(kHandText)
                                       : std::string(kHandText) + separator + origin.date;
    }
    return {};
}

RateOrigin OriginFromStoreText(std::string_view text) {
    using Kind = RateOrigin::Kind;
    if (text == kBuiltInText) return {.kind = Kind::BuiltIn};
    if (text == kEuroText) return {.kind = Kind::Euro};
    if (text == kHandText) return {.kind = Kind::Hand};
    if (const auto date = After(text, kHandText); date && IsDay(*date)) {
        return {.kind = Kind::Hand, .date = std::string(*date)};
    }
    if (const auto date = After(text, kEcbText); date && IsDay(*date)) {
        return {.kind = Kind::Ecb, .date = std::string(*date)};
    }
    if (const auto rest = After(text, kNbpText)) {
        const std::size_t blank = rest->find(kOriginSeparator);
        if (blank == std::string_view::npos) return {};
        const std::string_view table = rest->substr(0, blank);
        const std::string_view date = rest->substr(blank + 1);
        if (nbp::IsTableNumber(table) && IsDay(date)) {
            return {.kind = Kind::Nbp, .date = std::string(date), .table = std::string(table)};
        }
    }
    return {};
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
