#include "frmOpt.h"

#include <charconv>
#include <string>

#include "frmEdit.h"
#include "frmMain.h"
#include "frmUpdate.h"
#include "mdlData.h"
#include "toolkit/Services.h"

tk::FormSlot<FrmOpt> frmOpt;

namespace {

using tk::Kind;

constexpr int kFrame = FrmOpt::Frame1;

constexpr tk::ControlSpec kControls[] = {
    {Kind::Picture, "Frame1", -1, "", {120, 60, 5895, 3975}, 20, tk::kNoTabStop | tk::kBorderless},
    {Kind::Label, "Label1", -1, "Available currencies :", {840, 0, 2415, 255}, 21, 0, kFrame},
    {Kind::ListBox, "lstCur", -1, "", {840, 300, 2415, 3540}, 1, tk::kSorted, kFrame},
    {Kind::Button, "cmdAdd", -1, "&Add", {0, 300, 735, 375}, 2, 0, kFrame},
    {Kind::Button, "cmdEdit", -1, "&Edit", {0, 780, 735, 375}, 3, 0, kFrame},
    {Kind::Button, "cmdDelete", -1, "&Delete", {0, 1260, 735, 375}, 4, 0, kFrame},
    {Kind::Button, "cmdDefault", -1, "De&fault", {0, 2040, 735, 375}, 5, 0, kFrame},
    {Kind::Button, "cmdUpdate", -1, "&Update", {0, 2520, 735, 375}, 6, 0, kFrame},
    {Kind::Button,
     "cmdOK",
     -1,
     "&Close",
     {0, 3000, 735, 375},
     0,
     tk::kDefault | tk::kCancel,
     kFrame},
    {Kind::Label, "Label2", -1, "Selected currencies :", {3720, 0, 2055, 255}, 22, 0, kFrame},
    {Kind::Label, "Label3", -1, "Base currency :", {3720, 3180, 2055, 255}, 23, 0, kFrame},
    {Kind::Button, "cmdSet", 0, ">", {3360, 300, 255, 255}, 7, 0, kFrame},
    {Kind::Button, "cmdSet", 1, ">", {3360, 660, 255, 255}, 8, 0, kFrame},
    {Kind::Button, "cmdSet", 2, ">", {3360, 1020, 255, 255}, 9, 0, kFrame},
    {Kind::Button, "cmdSet", 3, ">", {3360, 1380, 255, 255}, 10, 0, kFrame},
    {Kind::Button, "cmdSet", 4, ">", {3360, 1740, 255, 255}, 11, 0, kFrame},
    {Kind::Button, "cmdSet", 5, ">", {3360, 2100, 255, 255}, 12, 0, kFrame},
    {Kind::Button, "cmdSet", 6, ">", {3360, 2460, 255, 255}, 13, 0, kFrame},
    {Kind::Button, "cmdSet", 7, ">", {3360, 2820, 255, 255}, 14, 0, kFrame},
    {Kind::Button, "cmdSet", 8, ">", {3360, 3540, 255, 255}, 15, 0, kFrame},
    {Kind::TextBox, "txtCur", 0, "", {3720, 300, 2055, 285}, 24, tk::kReadOnly, kFrame},
    {Kind::TextBox, "txtCur", 1, "", {3720, 660, 2055, 285}, 25, tk::kReadOnly, kFrame},
    {Kind::TextBox, "txtCur", 2, "", {3720, 1020, 2055, 285}, 26, tk::kReadOnly, kFrame},
    {Kind::TextBox, "txtCur", 3, "", {3720, 1380, 2055, 285}, 27, tk::kReadOnly, kFrame},
    {Kind::TextBox, "txtCur", 4, "", {3720, 1740, 2055, 285}, 28, tk::kReadOnly, kFrame},
    {Kind::TextBox, "txtCur", 5, "", {3720, 2100, 2055, 285}, 29, tk::kReadOnly, kFrame},
    {Kind::TextBox, "txtCur", 6, "", {3720, 2460, 2055, 285}, 30, tk::kReadOnly, kFrame},
    {Kind::TextBox, "txtCur", 7, "", {3720, 2820, 2055, 285}, 31, tk::kReadOnly, kFrame},
    {Kind::TextBox, "txtCur", 8, "", {3720, 3540, 2055, 285}, 32, tk::kReadOnly, kFrame},
    {Kind::CheckBox, "chkMinTray", -1, "Minimize to &tray", {960, 4080, 2415, 255}, 16},
    {Kind::CheckBox, "chkDlStartup", -1, "&Update on startup", {3480, 4080, 2415, 255}, 17},
};

static_assert(std::size(kControls) == FrmOpt::chkDlStartup + 1);

constexpr const char* kDefaultPrompt =
    "This will restore all currencies in the state when Pecunor was installed !\r\n"
    "Are you sure you want to continue ?";

std::string DisplayTextOf(int index) {
    return mdlData::IsIndex(index) ? DisplayText(mdlData::CurrencyTable[index]) : std::string();
}

// A Tag's decimal text as a table index; -1 when it is not a number or not an index.
int IndexFromTag(const std::string& tag) {
    int value = -1;
    const auto [end, ec] = std::from_chars(tag.data(), tag.data() + tag.size(), value);
    if (ec != std::errc() || end != tag.data() + tag.size()) return -1;
    return mdlData::IsIndex(value) ? value : -1;
}

}  // namespace

const tk::FormSpec FrmOpt::kSpec = {
    "frmOpt", "Pecunor - Options", 6015, 4515, tk::kDialogFrame | tk::kCenterOnOwner, kControls, {},
};

void FrmOpt::Form_Load() {
    tk::WindowPeer& peer = Peer();
    std::vector<tk::ListLine> lines;
    for (int i = 0; i < mdlData::CurrencyCount(); ++i) {
        const CurrencyEntry& e = mdlData::CurrencyTable[i];
        if (!e.Name.empty()) lines.push_back({DisplayText(e), i});
    }
    SetLines({}, -1);
    AddLines(std::move(lines));
    for (int k = 0; k < 9; ++k) {
        const int index = k < 8 ? mdlData::SelectedSlots[k] : mdlData::BaseCurrency;
        SetText(txtCur0 + k, DisplayTextOf(index));
        SetTag(txtCur0 + k, std::to_string(index));
    }
    peer.SetValue(chkMinTray, mdlData::MinimizeToTray ? 1 : 0);
    peer.SetValue(chkDlStartup, mdlData::DownloadOnStartup ? 1 : 0);
}

void FrmOpt::Form_Unload() {
    mdlData::MinimizeToTray = Peer().Value(chkMinTray) != 0;
    mdlData::DownloadOnStartup = Peer().Value(chkDlStartup) != 0;
    mdlData::SaveSettings();
}

void FrmOpt::Click(int control) {
    if (control >= cmdSet0 && control < cmdSet0 + 9) {
        cmdSet_Click(static_cast<std::int16_t>(control - cmdSet0));
        return;
    }
    switch (control) {
        case cmdAdd:
            cmdAdd_Click();
            break;
        case cmdEdit:
            cmdEdit_Click();
            break;
        case cmdDelete:
            cmdDelete_Click();
            break;
        case cmdDefault:
            cmdDefault_Click();
            break;
        case cmdUpdate:
            cmdUpdate_Click();
            break;
        case cmdOK:
            cmdOK_Click();
            break;
        default:
            break;
    }
}

void FrmOpt::DblClick(int control) {
    if (control == lstCur) lstCur_DblClick();
}

void FrmOpt::cmdSet_Click(std::int16_t index) {
    if (index < 0 || index > 8) return;
    const int pos = Peer().ListIndex(lstCur);
    if (pos < 0 || pos >= Peer().ListCount(lstCur)) return;
    const std::int32_t data = Peer().ItemData(lstCur, pos);
    if (!mdlData::IsIndex(data)) return;

    const int box = txtCur0 + index;
    SetText(box, Peer().ListText(lstCur, pos));
    SetTag(box, std::to_string(data));
    const int e = IndexFromTag(Tag(box));
    if (e < 0) return;
    if (index == 8) {
        mdlData::BaseCurrency = static_cast<std::int16_t>(e);
        return;
    }
    mdlData::SelectedSlots[static_cast<std::size_t>(index)] = static_cast<std::int16_t>(e);
    if (FrmMain* main = frmMain.IfLoaded()) main->ShowSlotCaption(index);
}

void FrmOpt::cmdAdd_Click() {
    std::int16_t entry = -1;
    std::int16_t listPos = -1;
    frmEdit().Form_Init(entry, listPos);
    frmEdit.Show(true);
}

void FrmOpt::cmdEdit_Click() {
    const int pos = Peer().ListIndex(lstCur);
    if (pos < 0 || pos >= Peer().ListCount(lstCur)) return;
    const std::int32_t data = Peer().ItemData(lstCur, pos);
    if (!mdlData::IsIndex(data)) return;
    std::int16_t entry = static_cast<std::int16_t>(data);
    std::int16_t listPos = static_cast<std::int16_t>(pos);
    frmEdit().Form_Init(entry, listPos);
    frmEdit.Show(true);
}

void FrmOpt::lstCur_DblClick() { cmdEdit_Click(); }

void FrmOpt::cmdDelete_Click() {
    const int pos = Peer().ListIndex(lstCur);
    if (pos < 0 || pos >= Peer().ListCount(lstCur)) return;
    const std::int32_t data = Peer().ItemData(lstCur, pos);
    if (!mdlData::IsIndex(data)) return;
    mdlData::CurrencyTable[static_cast<std::size_t>(data)].Name.clear();
    Peer().ListRemove(lstCur, pos);
    Peer().SetListIndex(lstCur, -1);
}

void FrmOpt::AddLines(std::vector<tk::ListLine> lines) {
    if (lines.empty()) return;
    std::vector<tk::ListLine> all = Lines();
    int selected = SelectedLine();
    tk::MergeAdded(all, std::move(lines), selected);
    SetLines(std::move(all), selected);
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

void FrmOpt::SetLines(std::vector<tk::ListLine> lines, int selected) {
    Peer().ListSetLines(lstCur, std::move(lines), selected);
}

void FrmOpt::cmdDefault_Click() {
    if (tk::MsgBox(kDefaultPrompt, tk::kYesNo | tk::kIconExclamation) != tk::kResultYes) return;
    mdlData::RestoreDefaults();
    if (FrmMain* main = frmMain.IfLoaded()) {
        for (int k = 0; k < 8; ++k) main->ShowSlotCaption(k);
    }
    Form_Load();
}

void FrmOpt::cmdUpdate_Click() {
    // A start-up update dialog may still be open, modeless: this opening starts afresh.
    frmUpdate.Unload();
    frmUpdate.Show(true);
}

void FrmOpt::cmdOK_Click() { frmOpt.Unload(); }
