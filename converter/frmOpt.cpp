#include "frmOpt.h"

#include <array>
#include <string>

#include "Identity.h"
#include "frmEdit.h"
#include "frmMain.h"
#include "frmUpdate.h"
#include "mdlData.h"
#include "toolkit/Services.h"

tk::FormSlot<FrmOpt> frmOpt;

namespace {

using tk::Kind;

constexpr int kFrame = FrmOpt::Frame1;

constexpr tk::ControlSpec kHead[] = {
    {.kind = Kind::Picture,
     .name = "Frame1",
     .caption = "",
     .rect = {.left = 120, .top = 60, .width = 5895, .height = 3975},
     .tabOrder = 20,
     .flags = tk::kNoTabStop | tk::kBorderless},
    {.kind = Kind::Label,
     .name = "Label1",
     .caption = "Available currencies :",
     .rect = {.left = 840, .top = 0, .width = 2415, .height = 255},
     .tabOrder = 21,
     .parent = kFrame},
    {.kind = Kind::ListBox,
     .name = "lstCur",
     .caption = "",
     .rect = {.left = 840, .top = 300, .width = 2415, .height = 3540},
     .tabOrder = 1,
     .flags = tk::kSorted,
     .parent = kFrame,
     .accessibleName = "Available currencies",
     .dblClick = tk::Handler<&FrmOpt::lstCur_DblClick>},
    {.kind = Kind::Button,
     .name = "cmdAdd",
     .caption = "&Add",
     .rect = {.left = 0, .top = 300, .width = 735, .height = 375},
     .tabOrder = 2,
     .parent = kFrame,
     .click = tk::Handler<&FrmOpt::cmdAdd_Click>},
    {.kind = Kind::Button,
     .name = "cmdEdit",
     .caption = "&Edit",
     .rect = {.left = 0, .top = 780, .width = 735, .height = 375},
     .tabOrder = 3,
     .parent = kFrame,
     .click = tk::Handler<&FrmOpt::cmdEdit_Click>},
    {.kind = Kind::Button,
     .name = "cmdDelete",
     .caption = "&Delete",
     .rect = {.left = 0, .top = 1260, .width = 735, .height = 375},
     .tabOrder = 4,
     .parent = kFrame,
     .click = tk::Handler<&FrmOpt::cmdDelete_Click>},
    {.kind = Kind::Button,
     .name = "cmdDefault",
     .caption = "De&fault",
     .rect = {.left = 0, .top = 2040, .width = 735, .height = 375},
     .tabOrder = 5,
     .parent = kFrame,
     .click = tk::Handler<&FrmOpt::cmdDefault_Click>},
    {.kind = Kind::Button,
     .name = "cmdUpdate",
     .caption = "&Update",
     .rect = {.left = 0, .top = 2520, .width = 735, .height = 375},
     .tabOrder = 6,
     .parent = kFrame,
     .click = tk::Handler<&FrmOpt::cmdUpdate_Click>},
    {.kind = Kind::Button,
     .name = "cmdOK",
     .caption = "&Close",
     .rect = {.left = 0, .top = 3000, .width = 735, .height = 375},
     .tabOrder = 0,
     .flags = tk::kDefault | tk::kCancel,
     .parent = kFrame,
     .click = tk::Handler<&FrmOpt::cmdOK_Click>},
    {.kind = Kind::Label,
     .name = "Label2",
     .caption = "Selected currencies :",
     .rect = {.left = 3720, .top = 0, .width = 2055, .height = 255},
     .tabOrder = 22,
     .parent = kFrame},
    {.kind = Kind::Label,
     .name = "Label3",
     .caption = "Base currency :",
     .rect = {.left = 3720, .top = 3180, .width = 2055, .height = 255},
     .tabOrder = 23,
     .parent = kFrame},
};

// The rows of the selected currencies: buttons 1 to 8 one below the other, then the base
// currency at the foot. Each row is a set button and the box it fills.
constexpr int RowTop(int k) { return k < FrmOpt::kBaseRow ? 300 + 360 * k : 3540; }
constexpr const char* kSetNames[FrmOpt::kRows] = {
    "Set button 1 to the selected currency",
    "Set button 2 to the selected currency",
    "Set button 3 to the selected currency",
    "Set button 4 to the selected currency",
    "Set button 5 to the selected currency",
    "Set button 6 to the selected currency",
    "Set button 7 to the selected currency",
    "Set button 8 to the selected currency",
    "Set the base currency",
};
constexpr const char* kBoxNames[FrmOpt::kRows] = {
    "Button 1 currency", "Button 2 currency", "Button 3 currency",
    "Button 4 currency", "Button 5 currency", "Button 6 currency",
    "Button 7 currency", "Button 8 currency", "Base currency",
};

constexpr tk::ControlSpec SetButton(int k) {
    return {.kind = Kind::Button,
            .name = "cmdSet",
            .index = k,
            .caption = ">",
            .rect = {.left = 3360, .top = RowTop(k), .width = 255, .height = 255},
            .tabOrder = 7 + k,
            .parent = kFrame,
            .accessibleName = kSetNames[k],
            .click = tk::Handler<&FrmOpt::cmdSet_Click>};
}

constexpr tk::ControlSpec SlotBox(int k) {
    return {.kind = Kind::TextBox,
            .name = "txtCur",
            .index = k,
            .caption = "",
            .rect = {.left = 3720, .top = RowTop(k), .width = 2055, .height = 285},
            .tabOrder = 24 + k,
            .flags = tk::kReadOnly,
            .parent = kFrame,
            .accessibleName = kBoxNames[k]};
}

constexpr tk::ControlSpec kTail[] = {
    {.kind = Kind::CheckBox,
     .name = "chkMinTray",
     .caption = "Minimize to &tray",
     .rect = {.left = 960, .top = 4080, .width = 2415, .height = 255},
     .tabOrder = 16},
    {.kind = Kind::CheckBox,
     .name = "chkDlStartup",
     .caption = "&Update on startup",
     .rect = {.left = 3480, .top = 4080, .width = 2415, .height = 255},
     .tabOrder = 17},
};

constexpr auto kControls = [] {
    std::array<tk::ControlSpec, std::size(kHead) + 2 * FrmOpt::kRows + std::size(kTail)> table{};
    std::size_t at = 0;
    for (const tk::ControlSpec& c : kHead) table[at++] = c;
    for (int k = 0; k < FrmOpt::kRows; ++k) table[at++] = SetButton(k);
    for (int k = 0; k < FrmOpt::kRows; ++k) table[at++] = SlotBox(k);
    for (const tk::ControlSpec& c : kTail) table[at++] = c;
    return table;
}();

// Every control id of FrmOpt names its control in the table.
static_assert(std::size(kControls) == FrmOpt::chkDlStartup + 1);
static_assert(tk::ControlsAre(kControls, FrmOpt::Frame1, "Frame1"));
static_assert(tk::ControlsAre(kControls, FrmOpt::Label1, "Label1"));
static_assert(tk::ControlsAre(kControls, FrmOpt::lstCur, "lstCur"));
static_assert(tk::ControlsAre(kControls, FrmOpt::cmdAdd, "cmdAdd"));
static_assert(tk::ControlsAre(kControls, FrmOpt::cmdEdit, "cmdEdit"));
static_assert(tk::ControlsAre(kControls, FrmOpt::cmdDelete, "cmdDelete"));
static_assert(tk::ControlsAre(kControls, FrmOpt::cmdDefault, "cmdDefault"));
static_assert(tk::ControlsAre(kControls, FrmOpt::cmdUpdate, "cmdUpdate"));
static_assert(tk::ControlsAre(kControls, FrmOpt::cmdOK, "cmdOK"));
static_assert(tk::ControlsAre(kControls, FrmOpt::Label2, "Label2"));
static_assert(tk::ControlsAre(kControls, FrmOpt::Label3, "Label3"));
static_assert(tk::ControlsAre(kControls, FrmOpt::cmdSet0, "cmdSet", FrmOpt::kRows));
static_assert(tk::ControlsAre(kControls, FrmOpt::txtCur0, "txtCur", FrmOpt::kRows));
static_assert(tk::ControlsAre(kControls, FrmOpt::chkMinTray, "chkMinTray"));
static_assert(tk::ControlsAre(kControls, FrmOpt::chkDlStartup, "chkDlStartup"));

constexpr auto kDefaultPrompt =
    program::Join("This will restore all currencies in the state when ", program::kTitle,
                  " was installed !\r\nAre you sure you want to continue ?");
constexpr auto kCaption = program::Join(program::kTitle, " - Options");

std::string DisplayTextOf(int index) {
    return mdlData::IsIndex(index) ? DisplayText(mdlData::CurrencyTable[index]) : std::string();
}

}  // namespace

const tk::FormSpec FrmOpt::kSpec = {
    .name = "frmOpt",
    .caption = kCaption.data(),
    .clientWidth = 6015,
    .clientHeight = 4515,
    .flags = tk::kDialogFrame | tk::kCenterOnOwner,
    .controls = kControls,
};

void FrmOpt::Form_Load() {
    tk::WindowPeer& peer = Peer();
    std::vector<tk::ListLine> lines;
    for (int i = 0; i < mdlData::CurrencyCount(); ++i) {
        const CurrencyEntry& e = mdlData::CurrencyTable[i];
        if (!e.Name.empty()) lines.push_back({DisplayText(e), i});
    }
    std::vector<tk::ListLine> sorted;
    int noSelection = -1;
    tk::MergeAdded(sorted, std::move(lines), noSelection);
    peer.ListSetLines(lstCur, std::move(sorted), noSelection);
    for (int k = 0; k < kRows; ++k) {
        const int index = k < kBaseRow ? mdlData::SelectedSlots[k] : mdlData::BaseCurrency;
        SetText(txtCur0 + k, DisplayTextOf(index));
        SetTag(txtCur0 + k, std::to_string(index));
    }
    peer.SetValue(chkMinTray, mdlData::MinimizeToTray ? 1 : 0);
    peer.SetValue(chkDlStartup, mdlData::DownloadOnStartup ? 1 : 0);
}

void FrmOpt::Form_Unload() {
    mdlData::MinimizeToTray = Peer().Value(chkMinTray) != 0;
    mdlData::DownloadOnStartup = Peer().Value(chkDlStartup) != 0;
    if (!mdlData::SaveSettings()) {
        tk::Report("the options dialog's unload could not save the settings");
    }
}

std::optional<FrmOpt::Selection> FrmOpt::Selected() const {
    const int pos = Peer().ListIndex(lstCur);
    if (pos < 0 || pos >= Peer().ListCount(lstCur)) return std::nullopt;
    const std::int32_t data = Peer().ItemData(lstCur, pos);
    if (!mdlData::IsIndex(data)) return std::nullopt;
    return Selection{pos, static_cast<std::int16_t>(data)};
}

void FrmOpt::cmdSet_Click(std::int16_t index) {
    if (index < 0 || index > kBaseRow) return;
    const std::optional<Selection> line = Selected();
    if (!line) return;

    const int box = txtCur0 + index;
    SetText(box, Peer().ListText(lstCur, line->pos));
    SetTag(box, std::to_string(line->entry));
    if (index == kBaseRow) {
        mdlData::BaseCurrency = line->entry;
        return;
    }
    mdlData::SelectedSlots[static_cast<std::size_t>(index)] = line->entry;
    if (FrmMain* main = frmMain.IfLoaded()) main->ShowSlotCaption(index);
}

void FrmOpt::cmdAdd_Click() {
    std::int16_t entry = -1;
    std::int16_t listPos = -1;
    frmEdit().Form_Init(entry, listPos);
    frmEdit.Show(true);
}

void FrmOpt::cmdEdit_Click() {
    const std::optional<Selection> line = Selected();
    if (!line) return;
    std::int16_t entry = line->entry;
    std::int16_t listPos = static_cast<std::int16_t>(line->pos);
    frmEdit().Form_Init(entry, listPos);
    frmEdit.Show(true);
}

void FrmOpt::lstCur_DblClick() { cmdEdit_Click(); }

void FrmOpt::cmdDelete_Click() {
    const std::optional<Selection> line = Selected();
    if (!line) return;
    mdlData::CurrencyTable[static_cast<std::size_t>(line->entry)].Name.clear();
    Peer().ListRemove(lstCur, line->pos);
    Peer().SetListIndex(lstCur, -1);
}

void FrmOpt::ShowEntries(std::vector<tk::ListLine> lines) {
    if (lines.empty()) return;
    std::vector<bool> shown(static_cast<std::size_t>(mdlData::CurrencyCount()), false);
    for (const tk::ListLine& line : lines) {
        if (mdlData::IsIndex(line.data)) shown[static_cast<std::size_t>(line.data)] = true;
    }
    const auto goes = [&shown](const tk::ListLine& line) {
        return mdlData::IsIndex(line.data) && shown[static_cast<std::size_t>(line.data)];
    };
    std::vector<tk::ListLine> all = Lines();
    const int wasSelected = SelectedLine();
    int selected = -1;
    std::vector<tk::ListLine> kept;
    kept.reserve(all.size() + lines.size());
    for (std::size_t pos = 0; pos < all.size(); ++pos) {
        if (goes(all[pos])) continue;
        if (static_cast<int>(pos) == wasSelected) selected = static_cast<int>(kept.size());
        kept.push_back(std::move(all[pos]));
    }
    tk::MergeAdded(kept, std::move(lines), selected);
    Peer().ListSetLines(lstCur, std::move(kept), selected);
}

void FrmOpt::AddLine(int entry) {
    if (!mdlData::IsIndex(entry)) return;
    const int pos = Peer().ListAdd(lstCur, DisplayTextOf(entry));
    Peer().SetItemData(lstCur, pos, entry);
}

void FrmOpt::RewriteLine(int pos, int entry) {
    if (pos < 0 || pos >= Peer().ListCount(lstCur) || !mdlData::IsIndex(entry)) return;
    Peer().ListSetText(lstCur, pos, DisplayTextOf(entry));
}

void FrmOpt::RemoveLinesOf(int entry) {
    for (int pos = Peer().ListCount(lstCur) - 1; pos >= 0; --pos) {
        if (Peer().ItemData(lstCur, pos) == entry) Peer().ListRemove(lstCur, pos);
    }
}

std::vector<tk::ListLine> FrmOpt::Lines() const { return Peer().ListLines(lstCur); }

int FrmOpt::SelectedLine() const { return Peer().ListIndex(lstCur); }

void FrmOpt::cmdDefault_Click() {
    const tk::MsgBoxFlags flags = tk::MsgBoxFlags::YesNo | tk::MsgBoxFlags::IconExclamation;
    if (tk::MsgBox(kDefaultPrompt.data(), flags, program::kTitle) != tk::MsgBoxResult::Yes) return;
    mdlData::RestoreDefaults();
    if (FrmMain* main = frmMain.IfLoaded()) {
        for (int k = 0; k < mdlData::kSlotCount; ++k) main->ShowSlotCaption(k);
    }
    Form_Load();
}

void FrmOpt::cmdUpdate_Click() {
    // A start-up update dialog may still be open, modeless: this opening starts afresh.
    frmUpdate.Unload();
    frmUpdate.Show(true);
}

void FrmOpt::cmdOK_Click() { frmOpt.Unload(); }
