#include "frmUpdate.h"

#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "Rates.h"
#include "UpdateList.h"
#include "frmOpt.h"
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
// A status holding this reads as a failure (FrmUpdate::Failed).
constexpr std::string_view kFailureMark = "Error";
static_assert(kFailureText.find(kFailureMark) != std::string_view::npos);

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
     .flags = tk::kDefault,
     .click = tk::Handler<&FrmUpdate::cmdOK_Click>},
    {.kind = Kind::Button,
     .name = "cmdClose",
     .caption = "Close",
     .rect = {.left = 1560, .top = 1560, .width = 1095, .height = 375},
     .tabOrder = 2,
     .flags = tk::kCancel,
     .click = tk::Handler<&FrmUpdate::cmdClose_Click>},
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
    std::vector<RateOrigin> origins;
    if (!rates::FetchList(start, text, list, origins)) return false;
    // The list's new currencies go into frmOpt's list, which must exist first.
    frmOpt.Load();
    std::optional<UpdateChanges> changes = ApplyAndSave(list, origins);
    if (!changes) return false;
    frmOpt().ShowEntries(std::move(changes->added));
    dialog.SetText(FrmUpdate::lblStatus, std::string(kSuccessText) + std::string(list.header));
    return rates::RecordUpdate(list.header);
}

}  // namespace

void FrmUpdate::Form_Load() {
    std::string text(kLoadText);
    if (const std::optional<tk::LocalTime> last = rates::LastUpdateDate()) {
        text += kLastUpdateText;
        text += tk::Services().regional->ShortDate(last->year, last->month, last->day);
    }
    SetText(lblStatus, text);
    frmOpt.Load();
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

bool FrmUpdate::Failed() const { return Text(lblStatus).find(kFailureMark) != std::string::npos; }
