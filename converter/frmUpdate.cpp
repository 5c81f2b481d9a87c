#include "frmUpdate.h"

#include <algorithm>
#include <exception>
#include <unordered_map>

#include "Publications.h"
#include "RatesFeed.h"
#include "frmOpt.h"
#include "mdlData.h"
#include "toolkit/Services.h"

tk::FormSlot<FrmUpdate> frmUpdate;

namespace {

using tk::Kind;

constexpr std::string_view kLoadText =
    "This will get an update list of converion rates "
    "from the Internet. Make sure an internet connection is present and press Update.";
constexpr std::string_view kLastUpdateText = "\r\nThe lastest update was performed on ";
constexpr std::string_view kFetchingText = "Downloading updated list...";
constexpr std::string_view kSuccessText = "Update successful!\r\nNew rates from ";
constexpr std::string_view kFailureText =
    "Error !\r\nThe updated list could not be downloaded. Check your internet "
    "connection or try again later.";
constexpr std::string_view kLastUpdateKey = "LastUpdate";
constexpr std::string_view kUpdateUrlKey = "UpdateUrl";
constexpr std::string_view kFallbackUrlKey = "FallbackUrl";
constexpr std::string_view kRatesHeaderKey = "RatesHeader";

constexpr tk::ControlSpec kControls[] = {
    {.kind = Kind::Label,
     .name = "lblStatus",
     .caption = "",
     .rect = {.left = 120, .top = 120, .width = 2655, .height = 1335},
     .tabOrder = 0,
     .flags = tk::kWordWrap},
    {.kind = Kind::Button,
     .name = "cmdOK",
     .caption = "Update",
     .rect = {.left = 240, .top = 1560, .width = 1095, .height = 375},
     .tabOrder = 1,
     .flags = tk::kDefault},
    {.kind = Kind::Button,
     .name = "cmdClose",
     .caption = "Close",
     .rect = {.left = 1560, .top = 1560, .width = 1095, .height = 375},
     .tabOrder = 2,
     .flags = tk::kCancel},
};

// Every control id of FrmUpdate names its control in the table.
static_assert(std::size(kControls) == FrmUpdate::cmdClose + 1);
static_assert(tk::ControlsAre(kControls, FrmUpdate::lblStatus, "lblStatus"));
static_assert(tk::ControlsAre(kControls, FrmUpdate::cmdOK, "cmdOK"));
static_assert(tk::ControlsAre(kControls, FrmUpdate::cmdClose, "cmdClose"));

}  // namespace

const tk::FormSpec FrmUpdate::kSpec = {
    .name = "frmUpdate",
    .caption = "Update",
    .clientWidth = 2985,
    .clientHeight = 2025,
    .flags = tk::kDialogFrame | tk::kCenterOnOwner,
    .controls = kControls,
};

namespace {

std::string ReadLastUpdate() {
    tk::SettingsStore* store = tk::Services().settings;
    return store ? store->ReadSetting(mdlData::kApp, mdlData::kSection, kLastUpdateKey, "0")
                 : std::string("0");
}

// The current local date and time as the user's short date, a blank, the long time.
std::string NowText(tk::RegionalService& regional, tk::ClockService& clock) {
    const tk::LocalTime now = clock.Now();
    return regional.ShortDate(now.year, now.month, now.day) + " " +
           regional.LongTime(now.hour, now.minute, now.second);
}

// The addresses the update tries, in order (see UpdateBaseUrl).
std::vector<std::string> UpdateSources(tk::SettingsStore& store) {
    const auto read = [&store](std::string_view key) {
        return store.ReadSetting(mdlData::kApp, mdlData::kSection, key, "");
    };
    if (std::string url = read(kUpdateUrlKey); !url.empty()) return {std::move(url)};
    std::string fallback = read(kFallbackUrlKey);
    if (fallback.empty()) fallback = CentralBankUrl;
    return {std::string(UpdateBaseUrl), std::move(fallback)};
}

// The first list any source gives, fetched within the update's time from `start`; `text`
// holds what `list` views.
bool FetchList(const tk::ServiceSet& services, std::uint64_t start, std::string& text,
               UpdateList& list) {
    for (const std::string& url : UpdateSources(*services.settings)) {
        const std::uint64_t spent = services.clock->Ticks() - start;
        if (spent >= static_cast<std::uint64_t>(kUpdateTimeLimitMs)) return false;
        std::string body;
        if (!services.http->Fetch(url, kUpdateTimeLimitMs - static_cast<int>(spent), body) ||
            body.empty()) {
            continue;
        }
        std::optional<std::string> listText = ListTextOf(std::move(body));
        if (!listText) continue;
        text = std::move(*listText);
        if (std::optional<UpdateList> read = ReadUpdateList(text)) {
            list = std::move(*read);
            return true;
        }
    }
    return false;
}

// Applies the list and saves the table, all or nothing: when the save fails, the table and
// the options list are put back and saved again (if that fails too, memory keeps the old
// state and the store whatever the writes left).
bool ApplyAndSave(const UpdateList& list) {
    FrmOpt& options = frmOpt();
    std::vector<CurrencyEntry> oldTable = mdlData::CurrencyTable;
    std::vector<tk::ListLine> oldLines = options.Lines();
    const int oldSelection = options.SelectedLine();
    if (!ApplyUpdate(list)) return false;
    if (mdlData::SaveSettings()) return true;
    mdlData::CurrencyTable = std::move(oldTable);
    options.SetLines(std::move(oldLines), oldSelection);
    mdlData::SaveSettings();
    return false;
}

// Fetches, applies and saves the list, shows the success text and records the time and the
// header; false at the first step that fails. A failure before the save leaves everything as
// it was.
bool RunUpdate(FrmUpdate& dialog, std::uint64_t start) {
    const tk::ServiceSet& services = tk::Services();
    if (!services.http || !services.settings || !services.regional || !services.clock) {
        return false;
    }
    std::string text;
    UpdateList list;
    if (!FetchList(services, start, text, list)) return false;
    // The list's new currencies go into frmOpt's list, which must exist first.
    frmOpt.Load();
    if (!ApplyAndSave(list)) return false;
    dialog.SetText(FrmUpdate::lblStatus, std::string(kSuccessText) + std::string(list.header));
    tk::SettingsStore& store = *services.settings;
    const bool headed =
        store.WriteSetting(mdlData::kApp, mdlData::kSection, kRatesHeaderKey, list.header);
    return store.WriteSetting(mdlData::kApp, mdlData::kSection, kLastUpdateKey,
                              NowText(*services.regional, *services.clock)) &&
           headed;
}

// The converter's names for the bank's currencies: the built-in table's, then the bank's own.
const feed::CurrencyNames& BuiltInNames() {
    static const feed::CurrencyNames names = [] {
        feed::CurrencyNames n;
        for (int i = 0; !mdlData::DefaultResource(300 + i).empty(); ++i) {
            n.Add(std::string(mdlData::DefaultResource(300 + i)),
                  std::string(mdlData::DefaultResource(200 + i)));
        }
        for (const feed::NamedCurrency& c : feed::PublishedCurrencies()) {
            n.Add(std::string(c.code), std::string(c.name));
        }
        return n;
    }();
    return names;
}

}  // namespace

std::optional<tk::LocalTime> LastUpdateDate() {
    const std::string text = ReadLastUpdate();
    if (text == "0") return std::nullopt;
    tk::RegionalService* regional = tk::Services().regional;
    if (regional == nullptr) return std::nullopt;
    return regional->ReadDateTime(text);
}

std::string RatesAgeText() {
    tk::SettingsStore* store = tk::Services().settings;
    const std::string header =
        store ? store->ReadSetting(mdlData::kApp, mdlData::kSection, kRatesHeaderKey, "")
              : std::string();
    const bool updated = !header.empty() || ReadLastUpdate() != "0";
    if (!updated) return "Built-in rates, never updated";
    std::string text = header;
    if (const std::optional<tk::LocalTime> last = LastUpdateDate()) {
        text += text.empty() ? "Updated " : ", updated ";
        text += tk::Services().regional->ShortDate(last->year, last->month, last->day);
    }
    if (text.empty()) text = "Updated rates";
    tk::ClockService* clock = tk::Services().clock;
    const std::optional<publications::Date> day = publications::TrailingIsoDate(header);
    if (day && clock != nullptr) {
        const int behind = publications::PublicationsSince(*day, clock->UtcNow());
        text += ": ";
        text += behind == 0   ? std::string("latest")
                : behind == 1 ? std::string("1 publication behind")
                              : std::to_string(behind) + " publications behind";
    }
    return text;
}

std::optional<std::string> ListTextOf(std::string body) {
    tk::XmlReader* xml = tk::Services().xml;
    if (xml == nullptr) return body;
    feed::BodyReading reading = feed::ReadRatesBody(body, *xml, BuiltInNames());
    if (!reading.isRatesDocument) return body;
    if (!reading.list.ok) return std::nullopt;
    return std::move(reading.list.list);
}

void FrmUpdate::Form_Load() {
    std::string text(kLoadText);
    if (const std::optional<tk::LocalTime> last = LastUpdateDate()) {
        text += kLastUpdateText;
        text += tk::Services().regional->ShortDate(last->year, last->month, last->day);
    }
    SetText(lblStatus, text);
    frmOpt.Load();
}

void FrmUpdate::Click(int control) {
    if (control == cmdOK) cmdOK_Click();
    if (control == cmdClose) cmdClose_Click();
}

void FrmUpdate::cmdOK_Click() {
    if (!HasPeer()) return;
    tk::ClockService* clock = tk::Services().clock;
    const std::uint64_t start = clock ? clock->Ticks() : 0;
    tk::WindowPeer& peer = Peer();
    bool ok = false;
    try {
        SetText(lblStatus, kFetchingText);
        peer.SetEnabled(cmdOK, false);
        // Enter goes to Close from now on; a hidden dialog takes no focus.
        if (peer.Visible()) peer.SetFocus(cmdClose);
        // The fetch blocks the event loop: the status must be on the screen before it.
        peer.Refresh();
        ok = RunUpdate(*this, start);
    } catch (const std::exception& e) {
        // The expected failures (fetch, format, store) are values; this is a fault.
        tk::Report(std::string("the update threw: ") + e.what());
        ok = false;
    } catch (...) {
        tk::Report("the update threw");
        ok = false;
    }
    if (!ok) SetText(lblStatus, kFailureText);
    peer.SetEnabled(cmdOK, false);
    peer.SetDefaultButton(cmdClose);
}

void FrmUpdate::cmdClose_Click() { frmUpdate.Unload(); }

namespace {

// The first live entry of each code, by the code in lower case.
using CodeIndex = std::unordered_map<std::string, std::int16_t>;

CodeIndex IndexLiveCodes(const std::vector<CurrencyEntry>& table, std::size_t more) {
    CodeIndex index;
    index.reserve(table.size() + more);
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (!table[i].Name.empty())
            index.try_emplace(LowerAscii(table[i].Short.str()), static_cast<std::int16_t>(i));
    }
    return index;
}

// The free entries a new code takes, lowest first; the table grows when none is left.
class FreeEntries {
public:
    explicit FreeEntries(const std::vector<CurrencyEntry>& table) {
        for (std::size_t i = 0; i < table.size(); ++i) {
            if (table[i].Name.empty()) free_.push_back(static_cast<std::int16_t>(i));
        }
    }
    // The lowest free entry, appended to the table if needed; nullopt when the table is full.
    std::optional<std::int16_t> Peek(std::vector<CurrencyEntry>& table) {
        if (next_ == free_.size()) {
            if (table.size() >= static_cast<std::size_t>(mdlData::kMaxCurrencies))
                return std::nullopt;
            table.emplace_back();
            free_.push_back(static_cast<std::int16_t>(table.size() - 1));
        }
        return free_[next_];
    }
    // The entry Peek gave was given a name: it is no longer free.
    void Take() { ++next_; }

private:
    std::vector<std::int16_t> free_;
    std::size_t next_ = 0;
};

// What the options list goes through, in order: batches of added lines, and removals of the
// lines of an entry that a new currency takes over.
struct ListStep {
    std::vector<tk::ListLine> add;
    int removeEntry = -1;
};

// The whole update worked out on a copy of the table, before anything changes.
struct StagedUpdate {
    std::vector<CurrencyEntry> table;
    std::vector<ListStep> listSteps;
};

class Stager {
public:
    Stager(const std::vector<tk::ListLine>& lines, std::size_t records)
        : staged_{mdlData::CurrencyTable, {}},
          index_(IndexLiveCodes(staged_.table, records)),
          free_(staged_.table),
          lined_(static_cast<std::size_t>(mdlData::kMaxCurrencies), false) {
        staged_.table.reserve(
            std::min<std::size_t>(staged_.table.size() + records, mdlData::kMaxCurrencies));
        for (const tk::ListLine& line : lines) {
            if (mdlData::IsIndex(line.data)) lined_[static_cast<std::size_t>(line.data)] = true;
        }
        staged_.listSteps.emplace_back();
    }

    bool Apply(const UpdateRecord& r) {
        if (auto found = index_.find(LowerAscii(r.code)); found != index_.end()) {
            staged_.table[static_cast<std::size_t>(found->second)].Value = r.rate;
            return true;
        }
        const std::optional<std::int16_t> slot = free_.Peek(staged_.table);
        if (!slot) return false;
        CurrencyEntry& e = staged_.table[static_cast<std::size_t>(*slot)];
        e.Name = std::string(r.name);
        e.Short = UpperAscii(r.code);
        e.Value = r.rate;
        ReplaceLine(*slot, e);
        if (!e.Name.empty()) {
            free_.Take();
            auto [it, added] = index_.try_emplace(LowerAscii(e.Short.str()), *slot);
            if (!added && *slot < it->second) it->second = *slot;
        }
        return true;
    }

    StagedUpdate Result() && { return std::move(staged_); }

private:
    // The entry's new line, after whatever line still carries it (its name was empty).
    void ReplaceLine(std::int16_t slot, const CurrencyEntry& e) {
        std::vector<tk::ListLine>& pending = staged_.listSteps.back().add;
        if (lined_[static_cast<std::size_t>(slot)]) {
            if (!pending.empty() && pending.back().data == slot) {
                // Added by this update's previous new code and never shown: it simply goes.
                pending.pop_back();
            } else {
                staged_.listSteps.back().removeEntry = slot;
                staged_.listSteps.emplace_back();
            }
        }
        staged_.listSteps.back().add.push_back({DisplayText(e), slot});
        lined_[static_cast<std::size_t>(slot)] = true;
    }

    StagedUpdate staged_;
    CodeIndex index_;
    FreeEntries free_;
    std::vector<bool> lined_;  // by table index: some line carries the entry
};

void RunListSteps(FrmOpt& options, std::vector<ListStep>& steps) {
    for (ListStep& step : steps) {
        options.AddLines(std::move(step.add));
        if (step.removeEntry >= 0) options.RemoveLinesOf(step.removeEntry);
    }
}

}  // namespace

std::optional<UpdateRecord> ReadListLine(std::string_view record) {
    const std::size_t tab1 = record.find('\t');
    if (tab1 == std::string_view::npos) return std::nullopt;
    const std::size_t tab2 = record.find('\t', tab1 + 1);
    if (tab2 == std::string_view::npos) return std::nullopt;
    const std::string_view rateText = record.substr(tab1 + 1, tab2 - tab1 - 1);
    // The field is the count itself: through a quotient by 10,000 some counts above 2^51
    // would come back one off.
    const Checked<Money> rate = MoneyFromCount(ParseLeadingNumber(rateText));
    if (!rate.ok()) return std::nullopt;
    return UpdateRecord{record.substr(0, tab1), rate.value, record.substr(tab2 + 1)};
}

std::optional<UpdateList> ReadUpdateList(std::string_view text) {
    const std::size_t first = text.find('\n');
    if (first == std::string_view::npos) return std::nullopt;
    UpdateList list{text.substr(0, first), {}};
    std::string_view rest = text.substr(first + 1);
    while (rest.size() >= 3) {
        const std::size_t end = rest.find('\n');
        if (end == std::string_view::npos) return std::nullopt;
        std::optional<UpdateRecord> record = ReadListLine(rest.substr(0, end));
        if (!record) return std::nullopt;
        list.records.push_back(*record);
        rest = rest.substr(end + 1);
    }
    return list;
}

bool ApplyUpdate(const UpdateList& list) {
    FrmOpt& options = frmOpt();
    Stager stager(options.Lines(), list.records.size());
    for (const UpdateRecord& record : list.records) {
        if (!stager.Apply(record)) return false;
    }
    StagedUpdate staged = std::move(stager).Result();
    mdlData::CurrencyTable = std::move(staged.table);
    RunListSteps(options, staged.listSteps);
    return true;
}

bool ApplyUpdateList(std::string_view text, std::string& header) {
    const std::optional<UpdateList> list = ReadUpdateList(text);
    if (!list || !ApplyUpdate(*list)) return false;
    header = std::string(list->header);
    return true;
}
