// The options dialog on the headless peer, driven as the user would: select a line, press
// a button, answer the question.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "ProductTexts.h"
#include "frmEdit.h"
#include "frmMain.h"
#include "frmOpt.h"
#include "frmUpdate.h"
#include "mdlData.h"
#include "toolkit/headless/Headless.h"

namespace {

using mdlData::CurrencyTable;
using mdlData::SelectedSlots;

constexpr int kEUR = 0, kBEF = 1, kESP = 3, kIEP = 5, kUSD = 12, kJPY = 13, kCHF = 20;

class OptionsTest : public testing::Test {
protected:
    void SetUp() override {
        mdlData::MinimizeToTray = false;
        mdlData::DownloadOnStartup = false;
        mdlData::RestoreDefaults();
        ui.settings.values.clear();
        ui.settings.writes.clear();
        frmMain.Show();
        frmOpt.Show();
    }
    void TearDown() override {
        ui.onModal = nullptr;
        tk::DiscardAll();
    }

    FrmOpt& opt() { return frmOpt(); }
    tk::WindowPeer& peer() { return frmOpt().Peer(); }

    std::vector<std::string> Lines() {
        std::vector<std::string> lines;
        for (int i = 0; i < peer().ListCount(FrmOpt::lstCur); ++i) {
            lines.push_back(peer().ListText(FrmOpt::lstCur, i));
        }
        return lines;
    }
    // Selects the line showing table entry `index`; false if there is none.
    bool Select(int index) {
        for (int i = 0; i < peer().ListCount(FrmOpt::lstCur); ++i) {
            if (peer().ItemData(FrmOpt::lstCur, i) == index) {
                peer().SetListIndex(FrmOpt::lstCur, i);
                return true;
            }
        }
        return false;
    }
    std::string Box(int k) { return opt().Text(FrmOpt::txtCur0 + k); }
    std::string Caption(int slot) { return frmMain().Text(FrmMain::cmdCur0 + slot); }
    std::string Stored(const std::string& key) {
        const auto it = ui.settings.values.find(tk::MemorySettings::Path("Pecun", "Settings", key));
        return it == ui.settings.values.end() ? "<absent>" : it->second;
    }
    // What the user does in the editor when it is shown modally.
    void InEditor(std::function<void(FrmEdit&)> action) {
        ui.onModal = [action](tk::Form& form) {
            if (&form == frmEdit.Get()) action(static_cast<FrmEdit&>(form));
        };
    }

    tk::headless::Platform ui;
};

TEST_F(OptionsTest, FillListsEveryLiveEntrySortedWithItsIndexAndTheBoxes) {
    frmOpt.Discard();
    CurrencyTable[kIEP].Name.clear();
    SelectedSlots[2] = kIEP;
    mdlData::MinimizeToTray = true;
    frmOpt.Show();

    const std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 20u);
    EXPECT_TRUE(std::is_sorted(lines.begin(), lines.end(),
                               [](const std::string& a, const std::string& b) {
                                   return tk::AsciiLowerCase(a) < tk::AsciiLowerCase(b);
                               }))
        << "list lines are not sorted";
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        const int data = peer().ItemData(FrmOpt::lstCur, i);
        ASSERT_TRUE(mdlData::IsIndex(data)) << "line " << i << " has item data " << data;
        EXPECT_EQ(lines[static_cast<std::size_t>(i)], DisplayText(CurrencyTable[data]))
            << "line " << i << " and its item data " << data << " disagree";
        EXPECT_NE(data, kIEP) << "a deleted entry is listed";
    }
    EXPECT_EQ(Box(0), "European Union euro (EUR)");
    EXPECT_EQ(Box(2), " (IEP)") << "a slot on a deleted entry shows its code only";
    EXPECT_EQ(opt().Tag(FrmOpt::txtCur0 + 2), "5");
    EXPECT_EQ(Box(FrmOpt::kBaseRow), "European Union euro (EUR)");
    EXPECT_EQ(opt().Tag(FrmOpt::txtCur0 + FrmOpt::kBaseRow), "0");
    EXPECT_EQ(peer().Value(FrmOpt::chkMinTray), 1);
    EXPECT_EQ(peer().Value(FrmOpt::chkDlStartup), 0);
    EXPECT_EQ(peer().ListIndex(FrmOpt::lstCur), -1) << "no line is selected on opening";
}

TEST_F(OptionsTest, SetButtonsTakeTheSelectedLineIntoTheirBox) {
    frmMain().CurrentAmount = Money::Whole(100);
    frmMain().CurrentCurrency = kEUR;
    const std::string shown = frmMain().Text(FrmMain::lblVal);

    ASSERT_TRUE(Select(kCHF));
    ui.Click(opt(), FrmOpt::cmdSet0 + 3);
    EXPECT_EQ(SelectedSlots[3], kCHF);
    EXPECT_EQ(Box(3), "Swiss franc (CHF)");
    EXPECT_EQ(opt().Tag(FrmOpt::txtCur0 + 3), "20");
    EXPECT_EQ(Caption(3), "CHF") << "the main window's button changes at once";

    ASSERT_TRUE(Select(kJPY));
    ui.Click(opt(), FrmOpt::cmdSet0 + 3);
    ui.Click(opt(), FrmOpt::cmdSet0 + 4);
    EXPECT_EQ(SelectedSlots[3], kJPY) << "the last press wins";
    EXPECT_EQ(SelectedSlots[4], kJPY) << "one currency may sit in two slots";
    EXPECT_EQ(Caption(4), "JPY");

    const std::vector<CurrencyEntry> before = CurrencyTable;
    const auto slots = SelectedSlots;
    ASSERT_TRUE(Select(kUSD));
    ui.Click(opt(), FrmOpt::cmdSet0 + FrmOpt::kBaseRow);
    EXPECT_EQ(mdlData::BaseCurrency, kUSD);
    EXPECT_EQ(Box(FrmOpt::kBaseRow), "United States dollar (USD)");
    EXPECT_EQ(SelectedSlots, slots) << "the base button changed a slot";
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(CurrencyTable[i].Value, before[i].Value) << "the base button changed rate " << i;
    }
    EXPECT_EQ(frmMain().Text(FrmMain::lblVal), shown);
    EXPECT_EQ(frmMain().CurrentCurrency, kEUR);
}

TEST_F(OptionsTest, SetButtonWithoutSelectionChangesNothing) {
    const auto slots = SelectedSlots;
    for (int k = 0; k < FrmOpt::kRows; ++k) ui.Click(opt(), FrmOpt::cmdSet0 + k);
    EXPECT_EQ(SelectedSlots, slots);
    EXPECT_EQ(mdlData::BaseCurrency, 0);
    EXPECT_EQ(Box(1), "United States dollar (USD)");
    EXPECT_EQ(Caption(1), "USD");
}

TEST_F(OptionsTest, LineWhoseItemDataIsOutsideTheTableIsIgnored) {
    for (const std::int32_t bad : {-1, 21, 40000}) {
        ASSERT_TRUE(Select(kUSD));
        const int pos = peer().ListIndex(FrmOpt::lstCur);
        peer().SetItemData(FrmOpt::lstCur, pos, bad);
        const auto slots = SelectedSlots;
        ui.Click(opt(), FrmOpt::cmdSet0);
        ui.Click(opt(), FrmOpt::cmdEdit);
        ui.Click(opt(), FrmOpt::cmdDelete);
        EXPECT_EQ(SelectedSlots, slots) << "item data " << bad;
        EXPECT_FALSE(frmEdit.Loaded()) << "item data " << bad;
        EXPECT_EQ(Lines().size(), 21u) << "item data " << bad;
        EXPECT_EQ(mdlData::CurrencyCount(), 21) << "item data " << bad;
        peer().SetItemData(FrmOpt::lstCur, pos, kUSD);
    }
}

TEST_F(OptionsTest, DeleteEmptiesTheNameAndDropsOnlyTheSelectedLine) {
    ui.Click(opt(), FrmOpt::cmdDelete);
    EXPECT_EQ(Lines().size(), 21u) << "delete without a selection removed a line";

    ASSERT_TRUE(Select(kUSD));  // in slot 1
    ui.Click(opt(), FrmOpt::cmdDelete);
    EXPECT_EQ(Lines().size(), 20u);
    EXPECT_FALSE(Select(kUSD)) << "the deleted line is still listed";
    EXPECT_EQ(peer().ListIndex(FrmOpt::lstCur), -1);
    EXPECT_EQ(CurrencyTable[kUSD].Name, "");
    EXPECT_EQ(CurrencyTable[kUSD].Short.str(), "USD");
    EXPECT_EQ(CurrencyTable[kUSD].Value, Money::FromRaw(10613));
    EXPECT_EQ(mdlData::CurrencyCount(), 21);
    EXPECT_EQ(SelectedSlots[1], kUSD);
    EXPECT_EQ(Caption(1), "USD") << "the main window's button keeps its caption";
    EXPECT_EQ(Box(1), "United States dollar (USD)") << "the box changes only on the next fill";

    frmOpt.Unload();
    frmOpt.Show();
    EXPECT_EQ(Box(1), " (USD)");
}

TEST_F(OptionsTest, EmptyListLeavesEditAndDeleteWithNothingToDo) {
    while (peer().ListCount(FrmOpt::lstCur) > 0) {
        peer().SetListIndex(FrmOpt::lstCur, 0);
        ui.Click(opt(), FrmOpt::cmdDelete);
    }
    ui.Click(opt(), FrmOpt::cmdEdit);
    ui.DblClick(opt(), FrmOpt::lstCur);
    ui.Click(opt(), FrmOpt::cmdDelete);
    EXPECT_TRUE(ui.modalForms.empty());
    EXPECT_EQ(mdlData::CurrencyCount(), 21);
}

TEST_F(OptionsTest, EditAndDoubleClickOpenTheEditorOnTheSelectedEntry) {
    std::vector<std::string> seen;
    InEditor([&](FrmEdit& editor) {
        seen.push_back(tk::headless::Platform::PeerOf(editor).caption + "|" +
                       editor.Text(FrmEdit::txtName) + "|" + std::to_string(editor.EditIndex) +
                       "|" + std::to_string(editor.EditListIndex));
        ui.Escape(editor);
    });
    ASSERT_TRUE(Select(kBEF));
    const int pos = peer().ListIndex(FrmOpt::lstCur);
    ui.Click(opt(), FrmOpt::cmdEdit);
    ui.DblClick(opt(), FrmOpt::lstCur);
    ui.Click(opt(), FrmOpt::cmdAdd);
    const std::string edit = "Edit currency|Belgian franc|1|" + std::to_string(pos);
    EXPECT_EQ(seen, (std::vector<std::string>{edit, edit, "New currency|Name|-1|-1"}));
    EXPECT_FALSE(frmEdit.Loaded());
}

TEST_F(OptionsTest, DefaultAsksFirstAndDeclinedChangesNothing) {
    ASSERT_TRUE(Select(kESP));
    ui.Click(opt(), FrmOpt::cmdDelete);
    ASSERT_TRUE(Select(kJPY));
    ui.Click(opt(), FrmOpt::cmdSet0);
    ui.answers = {tk::MsgBoxResult::No};
    ui.settings.writes.clear();
    ui.Click(opt(), FrmOpt::cmdDefault);

    ASSERT_EQ(ui.msgboxes.size(), 1u);
    EXPECT_EQ(ui.msgboxes[0].prompt, product::kDefaultPrompt);
    EXPECT_EQ(ui.msgboxes[0].flags, tk::MsgBoxFlags::YesNo | tk::MsgBoxFlags::IconExclamation);
    EXPECT_EQ(ui.msgboxes[0].title, "Pecunor");
    EXPECT_EQ(CurrencyTable[kESP].Name, "");
    EXPECT_EQ(SelectedSlots[0], kJPY);
    EXPECT_EQ(Lines().size(), 20u);
    EXPECT_TRUE(ui.settings.writes.empty()) << "a declined restore saved";
}

TEST_F(OptionsTest, DefaultConfirmedRestoresTableSlotsBaseCaptionsAndBoxes) {
    InEditor([&](FrmEdit& editor) { ui.Click(editor, FrmEdit::cmdOK); });
    ui.Click(opt(), FrmOpt::cmdAdd);
    ui.Click(opt(), FrmOpt::cmdAdd);
    ASSERT_EQ(mdlData::CurrencyCount(), 23);
    ASSERT_TRUE(Select(kJPY));
    ui.Click(opt(), FrmOpt::cmdSet0 + mdlData::kSlotCount - 1);
    ui.Click(opt(), FrmOpt::cmdSet0 + FrmOpt::kBaseRow);
    ASSERT_TRUE(Select(kBEF));
    ui.Click(opt(), FrmOpt::cmdDelete);
    peer().SetValue(FrmOpt::chkDlStartup, 1);

    ui.answers = {tk::MsgBoxResult::Yes};
    ui.Click(opt(), FrmOpt::cmdDefault);

    EXPECT_EQ(mdlData::CurrencyCount(), 21);
    EXPECT_EQ(Lines().size(), 21u);
    EXPECT_EQ(CurrencyTable[kBEF].Name, "Belgian franc");
    EXPECT_EQ(mdlData::BaseCurrency, 0);
    const char* codes[] = {"EUR", "USD", "JPY", "GBP", "DEM", "FRF", "CHF", "BEF"};
    for (int k = 0; k < mdlData::kSlotCount; ++k) {
        EXPECT_EQ(Caption(k), codes[k]) << "main window button " << k;
        EXPECT_EQ(Box(k), DisplayText(CurrencyTable[SelectedSlots[k]])) << "box " << k;
        EXPECT_EQ(CurrencyTable[SelectedSlots[k]].Short.str(), codes[k]) << "slot " << k;
    }
    EXPECT_EQ(Box(FrmOpt::kBaseRow), "European Union euro (EUR)");
    EXPECT_EQ(peer().Value(FrmOpt::chkDlStartup), 0) << "the check box keeps a change not stored";
    EXPECT_EQ(Stored("CN"), "21") << "the restore saves at once";
}

TEST_F(OptionsTest, CheckBoxesReachTheOptionsAndTheStoreOnlyAtUnload) {
    peer().SetValue(FrmOpt::chkMinTray, 1);
    peer().SetValue(FrmOpt::chkDlStartup, 1);
    EXPECT_FALSE(mdlData::MinimizeToTray);
    EXPECT_TRUE(ui.settings.writes.empty()) << "the dialog saved before its unload";
    ui.Click(opt(), FrmOpt::cmdOK);
    EXPECT_FALSE(frmOpt.Loaded());
    EXPECT_TRUE(mdlData::MinimizeToTray);
    EXPECT_TRUE(mdlData::DownloadOnStartup);
    EXPECT_EQ(Stored("MinimizeToTray"), "True");
    EXPECT_EQ(Stored("DownloadOnStartup"), "True");
}

TEST_F(OptionsTest, EveryWayOfClosingSavesEverything) {
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"Close", [this] { ui.Click(opt(), FrmOpt::cmdOK); }},
        {"Enter", [this] { ui.Enter(opt()); }},
        {"Esc", [this] { ui.Escape(opt()); }},
        {"close box", [] { frmOpt.Unload(); }},
        {"main window closed", [] { frmMain.Unload(); }},
    };
    for (const auto& [way, close] : ways) {
        frmMain.Show();
        frmOpt.Show();
        ui.settings.values.clear();
        ASSERT_TRUE(Select(kCHF));
        ui.Click(opt(), FrmOpt::cmdSet0 + FrmOpt::kBaseRow);
        ui.Click(opt(), FrmOpt::cmdDelete);
        close();
        EXPECT_FALSE(frmOpt.Loaded()) << way;
        EXPECT_EQ(Stored("BC"), "20") << way;
        EXPECT_EQ(Stored("L20"), "") << way;
        EXPECT_EQ(Stored("CN"), "21") << way;
        EXPECT_EQ(Stored("U7"), "1") << way;
        mdlData::BaseCurrency = 0;
        CurrencyTable[kCHF].Name = "Swiss franc";
    }
}

TEST_F(OptionsTest, ASaveThatFailsAtUnloadIsReportedAndTheDialogCloses) {
    ui.settings.failWrites = true;
    std::vector<std::string> reports;
    const tk::Reporter previous =
        tk::InstallReporter([&](std::string_view what) { reports.emplace_back(what); });
    ui.Click(opt(), FrmOpt::cmdOK);
    tk::InstallReporter(previous);
    ui.settings.failWrites = false;
    EXPECT_FALSE(frmOpt.Loaded());
    EXPECT_EQ(reports,
              std::vector<std::string>{"the options dialog's unload could not save the settings"});
}

TEST_F(OptionsTest, UpdateButtonShowsTheUpdateDialogModally) {
    ui.onModal = [](tk::Form& form) {
        if (&form == frmUpdate.Get()) frmUpdate.Unload();
    };
    ui.Click(opt(), FrmOpt::cmdUpdate);
    EXPECT_EQ(ui.modalForms, (std::vector<std::string>{"frmUpdate"}));
    EXPECT_TRUE(frmOpt.Loaded());
}

TEST_F(OptionsTest, UpdateWhileAStartupUpdateDialogIsOpenStartsAfresh) {
    frmUpdate.Show(false);
    frmUpdate().cmdOK_Click();  // no server: the failure stays on show
    ASSERT_NE(frmUpdate().Text(FrmUpdate::lblStatus).find("Error"), std::string::npos);
    const tk::Form* startup = frmUpdate.Get();
    std::string status;
    bool okEnabled = false;
    ui.onModal = [&](tk::Form& form) {
        if (&form != frmUpdate.Get()) return;
        status = frmUpdate().Text(FrmUpdate::lblStatus);
        okEnabled = tk::headless::Platform::PeerOf(frmUpdate()).Enabled(FrmUpdate::cmdOK);
        ui.Click(frmUpdate(), FrmUpdate::cmdClose);
    };
    ui.Click(opt(), FrmOpt::cmdUpdate);
    EXPECT_NE(frmUpdate.Get(), startup);
    EXPECT_EQ(status.rfind("This will get an update list", 0), 0u) << "status: " << status;
    EXPECT_TRUE(okEnabled) << "the fresh dialog is not in Ready";
    EXPECT_FALSE(frmUpdate.Loaded());
    EXPECT_TRUE(frmOpt.Loaded());
}

TEST_F(OptionsTest, MainMenuOpensTheDialogModally) {
    frmOpt.Discard();
    ui.onModal = [](tk::Form& form) {
        if (&form == frmOpt.Get()) frmOpt.Unload();
    };
    ui.Menu(frmMain(), FrmMain::mnuOptions);
    EXPECT_EQ(ui.modalForms, (std::vector<std::string>{"frmOpt"}));
    EXPECT_EQ(Stored("CN"), "21") << "closing the dialog saved nothing";
}

}  // namespace
