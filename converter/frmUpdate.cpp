#include "frmUpdate.h"

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

constexpr tk::ControlSpec kControls[] = {
    {Kind::Label, "lblStatus", -1, "", {120, 120, 2655, 1335}, 0, tk::kWordWrap},
    {Kind::Button, "cmdOK", -1, "Update", {240, 1560, 1095, 375}, 1, tk::kDefault},
    {Kind::Button, "cmdClose", -1, "Close", {1560, 1560, 1095, 375}, 2, tk::kCancel},
};

}  // namespace

const tk::FormSpec FrmUpdate::kSpec = {
    "frmUpdate", "Update", 2985, 2025, tk::kDialogFrame | tk::kCenterOnOwner, kControls, {},
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

// Fetches, applies and saves the list, shows the success text and records the time; false
// at the first step that fails. Records applied before a fault stay applied.
bool RunUpdate(FrmUpdate& dialog) {
    const tk::ServiceSet& services = tk::Services();
    if (!services.http || !services.settings || !services.regional || !services.clock) {
        return false;
    }
    std::string body;
    if (!services.http->Fetch(UpdateBaseUrl, body) || body.empty()) return false;
    // The list's new currencies go into frmOpt's list, which must exist first.
    frmOpt.Load();
    std::string header;
    if (!ApplyUpdateList(body, header)) return false;
    if (!mdlData::SaveSettings()) return false;
    dialog.SetText(FrmUpdate::lblStatus, std::string(kSuccessText) + header);
    return services.settings->WriteSetting(mdlData::kApp, mdlData::kSection, kLastUpdateKey,
                                           NowText(*services.regional, *services.clock));
}

}  // namespace

std::optional<tk::Date> LastUpdateDate() {
    const std::string text = ReadLastUpdate();
    if (text == "0") return std::nullopt;
    tk::RegionalService* regional = tk::Services().regional;
    if (regional == nullptr) return std::nullopt;
    return tk::ParseDate(regional->ShortDatePattern(), text);
}

void FrmUpdate::Form_Load() {
    std::string text(kLoadText);
    if (const std::optional<tk::Date> last = LastUpdateDate()) {
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
    tk::WindowPeer& peer = Peer();
    bool ok = false;
    try {
        SetText(lblStatus, kFetchingText);
        peer.SetEnabled(cmdOK, false);
        // Enter goes to Close from now on; a hidden dialog takes no focus.
        if (peer.Visible()) peer.SetFocus(cmdClose);
        // The fetch blocks the event loop: the status must be on the screen before it.
        peer.Refresh();
        ok = RunUpdate(*this);
    } catch (...) {
        ok = false;
    }
    try {
        if (!ok) SetText(lblStatus, kFailureText);
        peer.SetEnabled(cmdOK, false);
        peer.SetDefaultButton(cmdClose);
    } catch (...) {
        // Nothing more can be shown.
    }
}

void FrmUpdate::cmdClose_Click() { frmUpdate.Unload(); }

namespace {

// The live entry whose code is `code`, compared without case; -1 if none.
int FindCurrency(std::string_view code) {
    const std::string wanted = LowerAscii(code);
    for (int i = 0; i < mdlData::CurrencyCount(); ++i) {
        const CurrencyEntry& e = mdlData::CurrencyTable[i];
        if (!e.Name.empty() && LowerAscii(e.Short.str()) == wanted) return i;
    }
    return -1;
}

void AddListLine(int index) {
    FrmOpt& options = frmOpt();
    const int pos =
        options.Peer().ListAdd(FrmOpt::lstCur, DisplayText(mdlData::CurrencyTable[index]));
    options.Peer().SetItemData(FrmOpt::lstCur, pos, index);
}

}  // namespace

bool ApplyListLine(std::string_view record) {
    const std::size_t tab1 = record.find('\t');
    if (tab1 == std::string_view::npos) return false;
    const std::size_t tab2 = record.find('\t', tab1 + 1);
    if (tab2 == std::string_view::npos) return false;
    const std::string_view code = record.substr(0, tab1);
    const std::string_view rateText = record.substr(tab1 + 1, tab2 - tab1 - 1);
    const std::string_view name = record.substr(tab2 + 1);

    const Checked<Money> rate = MoneyFromDouble(ParseLeadingNumber(rateText) / 10000.0);
    if (!rate.ok()) return false;

    if (const int found = FindCurrency(code); found >= 0) {
        mdlData::CurrencyTable[found].Value = rate.value;
        return true;
    }
    const std::optional<std::int16_t> slot = mdlData::TakeNewEntryIndex();
    if (!slot) return false;
    CurrencyEntry& e = mdlData::CurrencyTable[*slot];
    e.Name = std::string(name);
    e.Short = UpperAscii(code);
    e.Value = rate.value;
    AddListLine(*slot);
    return true;
}

bool ApplyUpdateList(std::string_view text, std::string& header) {
    const std::size_t first = text.find('\n');
    if (text.empty() || first == std::string_view::npos) return false;
    header = std::string(text.substr(0, first));
    std::string_view rest = text.substr(first + 1);
    while (rest.size() >= 3) {
        const std::size_t end = rest.find('\n');
        if (end == std::string_view::npos) return false;
        if (!ApplyListLine(rest.substr(0, end))) return false;
        rest = rest.substr(end + 1);
    }
    return true;
}

void InstallStartupUpdate() {
    mdlData::StartupUpdate.showAndRun = [] {
        frmUpdate.Show(false);
        frmUpdate().cmdOK_Click();
    };
    mdlData::StartupUpdate.failed = [] {
        FrmUpdate* f = frmUpdate.IfLoaded();
        return f != nullptr && f->Text(FrmUpdate::lblStatus).find("Error") != std::string::npos;
    };
    mdlData::StartupUpdate.unload = [] { frmUpdate.Unload(); };
}
