// The currency editor on the headless peer, opened from the options dialog as the user
// opens it; what the user types is put into the boxes.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "frmEdit.h"
#include "frmMain.h"
#include "frmOpt.h"
#include "mdlData.h"
#include "toolkit/headless/Headless.h"

namespace {

using mdlData::CurrencyTable;

constexpr int kEUR = 0, kBEF = 1, kDEM = 2, kESP = 3, kIEP = 5, kUSD = 12;

struct Typed {
    const char* name;
    const char* code;
    const char* rate;
};

class EditorTest : public testing::Test {
protected:
    void SetUp() override {
        mdlData::RestoreDefaults();
        frmMain.Show();
        frmOpt.Show();
    }
    void TearDown() override {
        ui.onModal = nullptr;
        tk::DiscardAll();
    }

    tk::WindowPeer& list() { return frmOpt().Peer(); }
    int LineOf(int index) {
        for (int i = 0; i < list().ListCount(FrmOpt::lstCur); ++i) {
            if (list().ItemData(FrmOpt::lstCur, i) == index) return i;
        }
        return -1;
    }
    std::string LineText(int index) { return list().ListText(FrmOpt::lstCur, LineOf(index)); }

    // Opens the editor with Add (entry -1) or Edit, runs `action` in it while it is shown,
    // and returns what the editor showed when it opened as "caption|name|code|base|rate".
    std::string Open(int entry, const std::function<void(FrmEdit&)>& action) {
        std::string shown;
        ui.onModal = [&](tk::Form& form) {
            if (&form != frmEdit.Get()) return;
            auto& editor = static_cast<FrmEdit&>(form);
            shown = tk::headless::Platform::PeerOf(editor).caption + "|" +
                    editor.Text(FrmEdit::txtName) + "|" + editor.Text(FrmEdit::txtShort) + "|" +
                    editor.Text(FrmEdit::lblBase) + "|" + editor.Text(FrmEdit::txtValue);
            action(editor);
        };
        if (entry < 0) {
            ui.Click(frmOpt(), FrmOpt::cmdAdd);
        } else {
            list().SetListIndex(FrmOpt::lstCur, LineOf(entry));
            ui.Click(frmOpt(), FrmOpt::cmdEdit);
        }
        ui.onModal = nullptr;
        return shown;
    }
    // Types into the three boxes (nullptr leaves a box as it is) and presses OK.
    std::string Enter(int entry, Typed typed) {
        return Open(entry, [&](FrmEdit& editor) {
            if (typed.name) editor.SetText(FrmEdit::txtName, typed.name);
            if (typed.code) editor.SetText(FrmEdit::txtShort, typed.code);
            if (typed.rate) editor.SetText(FrmEdit::txtValue, typed.rate);
            ui.Click(editor, FrmEdit::cmdOK);
        });
    }

    tk::headless::Platform ui;
};

TEST_F(EditorTest, AddThenOkAtOnceAddsTheDefaultTexts) {
    EXPECT_EQ(Enter(-1, {}), "New currency|Name|???|1 EUR =|1");
    ASSERT_EQ(mdlData::CurrencyCount(), 22);
    EXPECT_EQ(CurrencyTable[21].Name, "Name");
    EXPECT_EQ(CurrencyTable[21].Short.str(), "???");
    EXPECT_EQ(CurrencyTable[21].Value, Money::Whole(1));
    EXPECT_EQ(LineText(21),
              "Name (??"
              "?)");
    EXPECT_FALSE(frmEdit.Loaded());
}

TEST_F(EditorTest, RateTextIsReadWithEitherSeparatorTimesTheBase) {
    struct Case {
        int base;
        const char* text;
        std::int64_t raw;
    };
    const Case cases[] = {
        {kEUR, "1,5", 15000}, {kEUR, "1.5", 15000}, {kEUR, "1,234.5", 12340}, {kUSD, "2", 21226},
        {kEUR, "abc", 0},     {kEUR, "", 0},        {kEUR, "-2", -20000},     {kEUR, "0", 0},
    };
    for (const Case& c : cases) {
        mdlData::BaseCurrency = static_cast<std::int16_t>(c.base);
        Enter(-1, {"Test", "tst", c.text});
        const int added = mdlData::CurrencyCount() - 1;
        EXPECT_EQ(CurrencyTable[added].Value.Raw(), c.raw) << "rate text \"" << c.text << "\"";
    }
}

TEST_F(EditorTest, CodeIsUpperCasedAndFittedToThreeCharacters) {
    const std::pair<const char*, const char*> cases[] = {
        {"usd", "USD"}, {"ab", "AB "}, {"", "   "}, {"eu1", "EU1"}, {"abcd", "ABC"}};
    for (const auto& [typed, stored] : cases) {
        Enter(-1, {"Test", typed, "1"});
        const int added = mdlData::CurrencyCount() - 1;
        EXPECT_EQ(CurrencyTable[added].Short.str(), stored) << "code \"" << typed << "\"";
        EXPECT_EQ(LineText(added), std::string("Test (") + stored + ")") << "code " << typed;
    }
}

TEST_F(EditorTest, AddReusesTheLowestDeletedEntry) {
    CurrencyTable[kIEP].Name.clear();
    CurrencyTable[kESP].Name.clear();
    Enter(-1, {"Polish zloty", "pln", "4"});
    EXPECT_EQ(mdlData::CurrencyCount(), 21);
    EXPECT_EQ(CurrencyTable[kESP].Name, "Polish zloty");
    EXPECT_NE(LineOf(kESP), -1) << "no line for the reused entry";
    EXPECT_EQ(LineText(kESP), "Polish zloty (PLN)");

    // A slot on a deleted entry follows it to the new currency.
    mdlData::SelectedSlots[3] = kIEP;
    Enter(-1, {"Czech koruna", "czk", "25"});
    EXPECT_EQ(CurrencyTable[mdlData::SelectedSlots[3]].Short.str(), "CZK");
    EXPECT_EQ(mdlData::CurrencyCount(), 21);

    Enter(-1, {"Hungarian forint", "huf", "300"});
    EXPECT_EQ(mdlData::CurrencyCount(), 22) << "without a deleted entry the table grows";
}

TEST_F(EditorTest, AnAddAfterAnEmptiedNameLeavesOneLinePerEntry) {
    Enter(kBEF, {"", nullptr, nullptr});
    EXPECT_EQ(LineText(kBEF), " (BEF)")
        << "an emptied name keeps its line until the entry is reused";
    Enter(-1, {"Polish zloty", "pln", "4"});
    EXPECT_EQ(CurrencyTable[kBEF].Name, "Polish zloty");
    int lines = 0;
    for (int i = 0; i < list().ListCount(FrmOpt::lstCur); ++i) {
        if (list().ItemData(FrmOpt::lstCur, i) == kBEF) ++lines;
    }
    EXPECT_EQ(lines, 1) << "lines carrying the reused entry";
    EXPECT_EQ(LineText(kBEF), "Polish zloty (PLN)");
}

TEST_F(EditorTest, EditShowsTheRateInTheBaseAndReadsItBack) {
    mdlData::BaseCurrency = kUSD;
    EXPECT_EQ(Enter(kESP, {}), "Edit currency|Spanish peseta|ESP|1 USD =|156.7757");
    EXPECT_EQ(CurrencyTable[kESP].Value.Raw(), 1663861) << "the shown quotient was rounded";

    Enter(-1, {"Test", "tst", "2"});
    EXPECT_EQ(CurrencyTable[21].Value.Raw(), 21226);
    EXPECT_EQ(Open(21, [&](FrmEdit& e) { ui.Click(e, FrmEdit::cmdCancel); }),
              "Edit currency|Test|TST|1 USD =|2");

    ui.separators = {",", "."};
    EXPECT_EQ(Enter(kBEF, {}), "Edit currency|Belgian franc|BEF|1 USD =|38,0099");
    EXPECT_EQ(CurrencyTable[kBEF].Value.Raw(), 403399) << "a comma-shown rate reads back";
}

// OK marks a new currency, or a rate it changed, as set by hand on the local date; a rate OK
// leaves as it was keeps its source.
TEST_F(EditorTest, OkMarksANewOrChangedRateAsSetByHandToday) {
    const RateOrigin builtIn{.kind = RateOrigin::Kind::BuiltIn};
    const RateOrigin today{.kind = RateOrigin::Kind::Hand, .date = "2026-12-08"};
    const struct {
        const char* what;
        int base, entry;
        Typed typed;
        RateOrigin origin;
    } cases[] = {
        {"a new currency", kEUR, -1, {"Test", "tst", "1"}, today},
        {"a rate typed", kEUR, kBEF, {nullptr, nullptr, "41"}, today},
        {"the name alone", kEUR, kDEM, {"Mark", nullptr, nullptr}, builtIn},
        {"the rate shown again", kUSD, kIEP, {}, builtIn},
        {"the rate rounded in another base", kUSD, kESP, {}, today},
    };
    ui.now = {2026, 12, 8, 23, 59, 0};
    ui.utcNow = {2026, 12, 9, 0, 59, 0};  // the local date counts
    for (const auto& c : cases) {
        mdlData::BaseCurrency = static_cast<std::int16_t>(c.base);
        Enter(c.entry, c.typed);
        const int entry = c.entry == -1 ? mdlData::CurrencyCount() - 1 : c.entry;
        EXPECT_EQ(mdlData::OriginStoreText(CurrencyTable[entry].Origin),
                  mdlData::OriginStoreText(c.origin))
            << c.what;
    }
}

TEST_F(EditorTest, EditingTheBaseMultipliesByItsOldValue) {
    mdlData::BaseCurrency = kUSD;
    EXPECT_EQ(Enter(kUSD, {nullptr, nullptr, "1"}).substr(0, 13), "Edit currency");
    EXPECT_EQ(CurrencyTable[kUSD].Value.Raw(), 10613);
    Enter(kUSD, {nullptr, nullptr, "2"});
    EXPECT_EQ(CurrencyTable[kUSD].Value.Raw(), 21226);
}

TEST_F(EditorTest, RewrittenLineKeepsItsPlaceAndItsData) {
    const int pos = LineOf(kBEF);
    Enter(kBEF, {"Zloty", nullptr, nullptr});
    EXPECT_EQ(list().ListText(FrmOpt::lstCur, pos), "Zloty (BEF)");
    EXPECT_EQ(list().ItemData(FrmOpt::lstCur, pos), kBEF);
    EXPECT_EQ(list().ListCount(FrmOpt::lstCur), 21);

    Enter(kDEM, {"", nullptr, nullptr});
    EXPECT_EQ(CurrencyTable[kDEM].Name, "");
    EXPECT_EQ(LineText(kDEM), " (DEM)") << "an emptied name keeps its line until the next fill";
    frmOpt.Unload();
    frmOpt.Show();
    EXPECT_EQ(LineOf(kDEM), -1) << "an emptied name is a deleted entry";
}

TEST_F(EditorTest, CancelEscapeAndTheCloseBoxChangeNothing) {
    const std::pair<const char*, std::function<void(FrmEdit&)>> ways[] = {
        {"Cancel", [&](FrmEdit& e) { ui.Click(e, FrmEdit::cmdCancel); }},
        {"Esc", [&](FrmEdit& e) { ui.Escape(e); }},
        {"close box", [](FrmEdit&) { frmEdit.Unload(); }},
        {"Enter on Cancel",
         [&](FrmEdit& e) {
             e.Peer().SetFocus(FrmEdit::cmdCancel);
             ui.Enter(e);
         }},
    };
    for (const auto& [way, close] : ways) {
        for (int entry : {-1, kBEF}) {
            Open(entry, [&](FrmEdit& editor) {
                editor.SetText(FrmEdit::txtName, "Changed");
                editor.SetText(FrmEdit::txtValue, "7");
                close(editor);
            });
            EXPECT_FALSE(frmEdit.Loaded()) << way;
            EXPECT_EQ(mdlData::CurrencyCount(), 21) << way;
            EXPECT_EQ(CurrencyTable[kBEF].Name, "Belgian franc") << way;
            EXPECT_EQ(CurrencyTable[kBEF].Value.Raw(), 403399) << way;
            EXPECT_EQ(list().ListCount(FrmOpt::lstCur), 21) << way;
        }
    }
}

TEST_F(EditorTest, EnterInABoxPressesOk) {
    Open(kBEF, [&](FrmEdit& editor) {
        editor.Peer().SetFocus(FrmEdit::txtValue);
        editor.SetText(FrmEdit::txtValue, "41");
        ui.Enter(editor);
    });
    EXPECT_FALSE(frmEdit.Loaded());
    EXPECT_EQ(CurrencyTable[kBEF].Value, Money::Whole(41));
}

TEST_F(EditorTest, FocusSelectsTheBoxText) {
    Open(kUSD, [&](FrmEdit& editor) {
        tk::WindowPeer& peer = editor.Peer();
        const std::pair<int, int> boxes[] = {
            {FrmEdit::txtName, 20}, {FrmEdit::txtShort, 3}, {FrmEdit::txtValue, 6}};
        for (const auto& [box, length] : boxes) {
            peer.SetSelection(box, 1, 0);
            peer.SetFocus(box);
            EXPECT_EQ(peer.SelStart(box), 0) << "box " << box;
            EXPECT_EQ(peer.SelLength(box), length) << "box " << box;
        }
        ui.Click(editor, FrmEdit::cmdCancel);
    });
}

TEST_F(EditorTest, RateOutsideMoneyOrAFullTableBeepsAndChangesNothing) {
    for (const char* rate : {"1,5e15", "-1e15", "1e400"}) {
        ui.beeps = 0;
        bool openAfter = false;
        std::string box;
        Open(-1, [&](FrmEdit& editor) {
            editor.SetText(FrmEdit::txtValue, rate);
            ui.Click(editor, FrmEdit::cmdOK);
            openAfter = frmEdit.Loaded();
            box = editor.Text(FrmEdit::txtValue);
            frmEdit.Unload();
        });
        EXPECT_TRUE(openAfter) << "rate " << rate << " closed the editor";
        EXPECT_EQ(box.find(','), std::string::npos) << "the box shows no comma after OK: " << box;
        EXPECT_EQ(ui.beeps, 1) << "rate " << rate;
        EXPECT_EQ(mdlData::CurrencyCount(), 21) << "rate " << rate;
        EXPECT_EQ(list().ListCount(FrmOpt::lstCur), 21) << "rate " << rate;
    }
    // OK that beeps leaves the editor open; the user then cancels.
    const auto okThenCancel = [&](const char* name, const char* rate) {
        bool openAfter = false;
        Open(name ? kBEF : -1, [&](FrmEdit& editor) {
            if (name) editor.SetText(FrmEdit::txtName, name);
            if (rate) editor.SetText(FrmEdit::txtValue, rate);
            ui.Click(editor, FrmEdit::cmdOK);
            openAfter = frmEdit.Loaded();
            ui.Click(editor, FrmEdit::cmdCancel);
        });
        return openAfter;
    };
    EXPECT_TRUE(okThenCancel("Changed", "1e15"));
    EXPECT_EQ(CurrencyTable[kBEF].Name, "Belgian franc") << "an edit with a bad rate was stored";

    CurrencyTable.resize(mdlData::kMaxCurrencies, CurrencyTable[kBEF]);
    ui.beeps = 0;
    EXPECT_TRUE(okThenCancel(nullptr, nullptr)) << "the editor closed on a full table";
    EXPECT_EQ(ui.beeps, 1);
    EXPECT_EQ(mdlData::CurrencyCount(), mdlData::kMaxCurrencies);
    EXPECT_EQ(list().ListCount(FrmOpt::lstCur), 21);
}

TEST_F(EditorTest, BaseWorthZeroShowsRateZero) {
    CurrencyTable[kUSD].Value = Money();
    mdlData::BaseCurrency = kUSD;
    EXPECT_EQ(Enter(kBEF, {nullptr, nullptr, nullptr}),
              "Edit currency|Belgian franc|BEF|1 USD =|0");
    EXPECT_EQ(CurrencyTable[kBEF].Value.Raw(), 0);
}

TEST_F(EditorTest, InitWithAnIndexOutsideTheTableIsANewCurrency) {
    for (std::int16_t bad : {std::int16_t{21}, std::int16_t{-5}, std::int16_t{32767}}) {
        std::int16_t pos = 3;
        frmEdit().Form_Init(bad, pos);
        EXPECT_EQ(frmEdit().EditIndex, -1) << "entry " << bad;
        EXPECT_EQ(frmEdit().EditListIndex, -1) << "entry " << bad;
        EXPECT_EQ(tk::headless::Platform::PeerOf(frmEdit()).caption, "New currency");
        frmEdit.Discard();
    }
}

}  // namespace
