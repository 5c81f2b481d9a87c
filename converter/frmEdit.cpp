#include "frmEdit.h"

#include <optional>
#include <string>

#include "Publications.h"
#include "TextHelpers.h"
#include "frmOpt.h"
#include "mdlData.h"
#include "toolkit/NumberFormat.h"
#include "toolkit/Services.h"

tk::FormSlot<FrmEdit> frmEdit;

namespace {

using tk::Kind;

constexpr tk::ControlSpec kControls[] = {
    {.kind = Kind::Label,
     .name = "Label1",
     .caption = "Name",
     .rect = {.left = 120, .top = 120, .width = 735, .height = 255},
     .tabOrder = 5},
    {.kind = Kind::TextBox,
     .name = "txtName",
     .caption = "",
     .rect = {.left = 960, .top = 120, .width = 1695, .height = 285},
     .tabOrder = 0,
     .gotFocus = tk::Handler<&FrmEdit::txtName_GotFocus>},
    {.kind = Kind::Label,
     .name = "Label2",
     .caption = "Short",
     .rect = {.left = 120, .top = 480, .width = 735, .height = 255},
     .tabOrder = 6},
    {.kind = Kind::TextBox,
     .name = "txtShort",
     .caption = "",
     .rect = {.left = 960, .top = 480, .width = 1695, .height = 285},
     .tabOrder = 1,
     .maxLength = ShortCode::kLength,
     .gotFocus = tk::Handler<&FrmEdit::txtShort_GotFocus>},
    {.kind = Kind::Label,
     .name = "lblBase",
     .caption = "",
     .rect = {.left = 120, .top = 840, .width = 735, .height = 255},
     .tabOrder = 7},
    {.kind = Kind::TextBox,
     .name = "txtValue",
     .caption = "",
     .rect = {.left = 960, .top = 840, .width = 1695, .height = 285},
     .tabOrder = 2,
     .gotFocus = tk::Handler<&FrmEdit::txtValue_GotFocus>},
    {.kind = Kind::Button,
     .name = "cmdOK",
     .caption = "OK",
     .rect = {.left = 840, .top = 1260, .width = 855, .height = 375},
     .tabOrder = 3,
     .flags = tk::kDefault,
     .click = tk::Handler<&FrmEdit::cmdOK_Click>},
    {.kind = Kind::Button,
     .name = "cmdCancel",
     .caption = "Cancel",
     .rect = {.left = 1800, .top = 1260, .width = 855, .height = 375},
     .tabOrder = 4,
     .flags = tk::kCancel,
     .click = tk::Handler<&FrmEdit::cmdCancel_Click>},
    {.kind = Kind::Label,
     .name = "lblDo",
     .caption = "What to do ?",
     .rect = {.left = 120, .top = 1320, .width = 975, .height = 255},
     .tabOrder = 8},
};

// Every control id of FrmEdit names its control in the table.
static_assert(std::size(kControls) == FrmEdit::lblDo + 1);
static_assert(tk::ControlsAre(kControls, FrmEdit::Label1, "Label1"));
static_assert(tk::ControlsAre(kControls, FrmEdit::txtName, "txtName"));
static_assert(tk::ControlsAre(kControls, FrmEdit::Label2, "Label2"));
static_assert(tk::ControlsAre(kControls, FrmEdit::txtShort, "txtShort"));
static_assert(tk::ControlsAre(kControls, FrmEdit::lblBase, "lblBase"));
static_assert(tk::ControlsAre(kControls, FrmEdit::txtValue, "txtValue"));
static_assert(tk::ControlsAre(kControls, FrmEdit::cmdOK, "cmdOK"));
static_assert(tk::ControlsAre(kControls, FrmEdit::cmdCancel, "cmdCancel"));
static_assert(tk::ControlsAre(kControls, FrmEdit::lblDo, "lblDo"));

// The base currency's entry, nullptr when BaseCurrency lies outside the table. Valid until
// the table grows.
const CurrencyEntry* BaseEntry() {
    if (!mdlData::IsIndex(mdlData::BaseCurrency)) return nullptr;
    return &mdlData::CurrencyTable[static_cast<std::size_t>(mdlData::BaseCurrency)];
}

// A rate set by hand today (the local date), or on a day not known without a clock.
RateOrigin HandOrigin() {
    RateOrigin origin{.kind = RateOrigin::Kind::Hand};
    if (tk::ClockService* clock = tk::Services().clock) {
        const tk::LocalTime now = clock->Now();
        origin.date = publications::IsoText(publications::DayOf(now));
    }
    return origin;
}

// Value(entry) / Value(base) as the editor shows it. A quotient that cannot be formed (a
// base worth 0, or a result outside Money) shows as 0.
std::string RateText(int entry, Money base) {
    const Checked<Money> q =
        Div(mdlData::CurrencyTable[static_cast<std::size_t>(entry)].Value, base);
    return tk::FormatPlain(q.ok() ? q.value.Raw() : 0, tk::UserSeparators());
}

}  // namespace

const tk::FormSpec FrmEdit::kSpec = {
    .name = "frmEdit",
    .caption = "New currency",
    .clientWidth = 2760,
    .clientHeight = 1755,
    .flags = tk::kDialogFrame | tk::kCenterOnOwner,
    .controls = kControls,
};

void FrmEdit::Form_Init(std::int16_t& entry, std::int16_t& listPos) {
    const bool isNew = !mdlData::IsIndex(entry);
    EditIndex = isNew ? std::int16_t{-1} : entry;
    EditListIndex = isNew ? std::int16_t{-1} : listPos;
    const CurrencyEntry* base = BaseEntry();
    if (isNew) {
        Peer().SetCaption("New currency");
        SetText(txtName, "Name");
        SetText(txtShort, "???");
        SetText(txtValue, "1");
    } else {
        const CurrencyEntry& e = mdlData::CurrencyTable[static_cast<std::size_t>(EditIndex)];
        Peer().SetCaption("Edit currency");
        SetText(txtName, e.Name);
        SetText(txtShort, e.Short.str());
        SetText(txtValue, base != nullptr ? RateText(EditIndex, base->Value) : "0");
    }
    const std::string code =
        base != nullptr ? base->Short.str() : std::string(ShortCode::kLength, ' ');
    SetText(lblBase, "1 " + code + " =");
}

void FrmEdit::cmdOK_Click() {
    std::string rate = Text(txtValue);
    ReplaceAll(rate, ",", ".");
    SetText(txtValue, rate);

    // Everything that can fail is decided before the table changes: a rate that does not
    // fit Money, or a full table, beeps and leaves the editor open.
    const CurrencyEntry* base = BaseEntry();
    if (base == nullptr) {
        tk::Beep();
        return;
    }
    const Checked<Money> value = MoneyFromDouble(ParseLeadingNumber(rate) * ToDouble(base->Value));
    if (!value.ok() || (EditIndex != -1 && !mdlData::IsIndex(EditIndex))) {
        tk::Beep();
        return;
    }
    const bool added = EditIndex == -1;
    if (added) {
        const std::optional<std::int16_t> taken = mdlData::TakeNewEntryIndex();
        if (!taken) {
            tk::Beep();
            return;
        }
        EditIndex = *taken;
        EditListIndex = -1;
    }

    CurrencyEntry& e = mdlData::CurrencyTable[static_cast<std::size_t>(EditIndex)];
    e.Name = Text(txtName);
    e.Short = tk::UpperCase(Text(txtShort));
    // A rate OK leaves as it was keeps its source; a new or changed one is the user's.
    if (added || e.Value != value.value) e.Origin = HandOrigin();
    e.Value = value.value;

    if (FrmOpt* options = frmOpt.IfLoaded()) {
        if (EditListIndex == -1) {
            // A reused entry may still have the line its emptied name left.
            options->RemoveLinesOf(EditIndex);
            options->AddLine(EditIndex);
        } else {
            options->RewriteLine(EditListIndex, EditIndex);
        }
    }
    frmEdit.Unload();
}

void FrmEdit::cmdCancel_Click() { frmEdit.Unload(); }

void FrmEdit::txtName_GotFocus() { Peer().SetSelection(txtName, 0, 255); }

void FrmEdit::txtShort_GotFocus() { Peer().SetSelection(txtShort, 0, ShortCode::kLength); }

void FrmEdit::txtValue_GotFocus() { Peer().SetSelection(txtValue, 0, 255); }
