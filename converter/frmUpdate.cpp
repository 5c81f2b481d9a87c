#include "frmUpdate.h"

#include <algorithm>
#include <exception>

#include "Publications.h"
#include "frmOpt.h"
#include "mdlData.h"
#include "toolkit/Services.h"

tk::FormSlot<FrmUpdate> frmUpdate;

namespace {

using tk::Kind;

// "converion" and "lastest" are the product's own texts, shown as they always were: keep
// them as written.
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

// A value of the settings, `fallback` when it is absent or there is no store.
std::string Stored(std::string_view key, std::string_view fallback) {
    tk::SettingsStore* store = tk::Services().settings;
    return store ? store->ReadSetting(mdlData::kApp, mdlData::kSection, key, fallback)
                 : std::string(fallback);
}

// The date and time a "LastUpdate" text stands for; nullopt for none ("0") or one that does
// not read.
std::optional<tk::LocalTime> DateOf(const std::string& lastUpdate) {
    tk::RegionalService* regional = tk::Services().regional;
    if (lastUpdate == "0" || regional == nullptr) return std::nullopt;
    return regional->ReadDateTime(lastUpdate);
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

}  // namespace

std::optional<tk::LocalTime> LastUpdateDate() { return DateOf(Stored(kLastUpdateKey, "0")); }

std::string RatesAgeText() {
    const std::string header = Stored(kRatesHeaderKey, "");
    const std::string lastUpdate = Stored(kLastUpdateKey, "0");
    if (header.empty() && lastUpdate == "0") return "Built-in rates, never updated";
    std::string text = header;
    if (const std::optional<tk::LocalTime> last = DateOf(lastUpdate)) {
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
