// The toolkit's contract, as every peer must keep it: the same source runs against the
// headless peer natively and against the Win32 peer under Wine.
#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "PeerFixture.h"
#include "toolkit/FormSlot.h"

namespace tk {
void PrintTo(const LocalTime& t, std::ostream* os) {
    *os << t.year << "-" << t.month << "-" << t.day << " " << t.hour << ":" << t.minute << ":"
        << t.second;
}
bool operator==(const TwipsRect& a, const TwipsRect& b) {
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}
void PrintTo(const TwipsRect& r, std::ostream* os) {
    *os << "{" << r.left << ", " << r.top << ", " << r.width << " x " << r.height << "}";
}
}  // namespace tk

namespace {

using tk::Kind;

enum : int { lstSorted, lstPlain, txtBox, chkBox, cmdOK, cmdCancel, lblText };

std::vector<std::string>& Events() {
    static std::vector<std::string> events;
    return events;
}

class TestForm : public tk::Form {
public:
    static const tk::FormSpec kSpec;
    const tk::FormSpec& Layout() const override { return kSpec; }
    void Form_Load() override { Events().push_back("load"); }
    void Form_Unload() override { Events().push_back("unload"); }
    // Every control's gotFocus, apart from the other events: a real window also gives the
    // focus when it is shown.
    template <int Id>
    void Focused() {
        focus.push_back(Id);
    }
    std::vector<int> focus;
};

constexpr tk::ControlSpec kControls[] = {
    {.kind = Kind::ListBox,
     .name = "lstSorted",
     .caption = "",
     .rect = {.left = 120, .top = 120, .width = 2000, .height = 1500},
     .tabOrder = 0,
     .flags = tk::kSorted,
     .gotFocus = tk::Handler<&TestForm::Focused<lstSorted>>},
    {.kind = Kind::ListBox,
     .name = "lstPlain",
     .caption = "",
     .rect = {.left = 2200, .top = 120, .width = 2000, .height = 1500},
     .tabOrder = 1,
     .gotFocus = tk::Handler<&TestForm::Focused<lstPlain>>},
    {.kind = Kind::TextBox,
     .name = "txtBox",
     .caption = "start",
     .rect = {.left = 120, .top = 1700, .width = 2000, .height = 300},
     .tabOrder = 2,
     .maxLength = 5,
     .gotFocus = tk::Handler<&TestForm::Focused<txtBox>>},
    {.kind = Kind::CheckBox,
     .name = "chkBox",
     .caption = "Tick",
     .rect = {.left = 120, .top = 2100, .width = 2000, .height = 300},
     .tabOrder = 3,
     .gotFocus = tk::Handler<&TestForm::Focused<chkBox>>},
    {.kind = Kind::Button,
     .name = "cmdOK",
     .caption = "OK",
     .rect = {.left = 120, .top = 2500, .width = 1000, .height = 375},
     .tabOrder = 4,
     .flags = tk::kDefault,
     .gotFocus = tk::Handler<&TestForm::Focused<cmdOK>>},
    {.kind = Kind::Button,
     .name = "cmdCancel",
     .caption = "Cancel",
     .rect = {.left = 1200, .top = 2500, .width = 1000, .height = 375},
     .tabOrder = 5,
     .flags = tk::kCancel,
     .gotFocus = tk::Handler<&TestForm::Focused<cmdCancel>>},
    {.kind = Kind::Label,
     .name = "lblText",
     .caption = "label",
     .rect = {.left = 2200, .top = 2500, .width = 2000, .height = 375},
     .tabOrder = 6,
     .gotFocus = tk::Handler<&TestForm::Focused<lblText>>},
};

const tk::FormSpec TestForm::kSpec = {"frmTest",        "Contract", 4500, 3200,
                                      tk::kDialogFrame, kControls,  {}};

class HostForm : public TestForm {
public:
    void Form_Load() override {}
    void Form_Unload() override {}
};

// A sizable form: a chart that grows both ways, a label across the top, a button along the
// side and one that stays as it is.
enum : int { chtLine, lblWide, cmdTall, cmdStays };

class SizeForm : public tk::Form {
public:
    static const tk::FormSpec kSpec;
    const tk::FormSpec& Layout() const override { return kSpec; }
    void Form_Resize() override {
        if (onResize) onResize();
    }
    std::function<void()> onResize;
};

// Edges on whole pixels at 96 dpi (15 twips each), so that places read back exactly.
constexpr tk::ControlSpec kSizeControls[] = {
    {.kind = Kind::Chart,
     .name = "chtLine",
     .caption = "",
     .rect = {.left = 120, .top = 480, .width = 4200, .height = 2400},
     .tabOrder = 0,
     .flags = tk::kAnchorRight | tk::kAnchorBottom},
    {.kind = Kind::Label,
     .name = "lblWide",
     .caption = "EUR in USD",
     .rect = {.left = 120, .top = 120, .width = 4200, .height = 255},
     .tabOrder = 1,
     .flags = tk::kAnchorRight},
    {.kind = Kind::Button,
     .name = "cmdTall",
     .caption = "Tall",
     .rect = {.left = 4440, .top = 480, .width = 1050, .height = 1200},
     .tabOrder = 2,
     .flags = tk::kAnchorBottom},
    {.kind = Kind::Button,
     .name = "cmdStays",
     .caption = "Stays",
     .rect = {.left = 4440, .top = 1800, .width = 1050, .height = 375},
     .tabOrder = 3},
};

const tk::FormSpec SizeForm::kSpec = {"frmSize",    "Size",        5610, 3000,
                                      tk::kSizable, kSizeControls, {}};

tk::FormSlot<TestForm> frmTest;
tk::FormSlot<HostForm> frmHost;
tk::FormSlot<SizeForm> frmSize;

class Contract : public testing::Test {
protected:
    void SetUp() override {
        peer = contract::MakePeerFixture();
        Events().clear();
    }
    void TearDown() override {
        frmTest.Discard();
        frmHost.Discard();
        frmSize.Discard();
        tk::RetireUnloaded();
        peer.reset();
    }
    tk::WindowPeer& W() { return frmTest().Peer(); }

    // The lines of list `id`, each as "text=data".
    std::vector<std::string> Lines(int id) {
        std::vector<std::string> out;
        for (int i = 0; i < W().ListCount(id); ++i) {
            std::string line = W().ListText(id, i);
            line += '=';
            line += std::to_string(W().ItemData(id, i));
            out.push_back(std::move(line));
        }
        return out;
    }

    std::unique_ptr<contract::PeerFixture> peer;
};

using Texts = std::vector<std::string>;

TEST_F(Contract, SortedListReportsWhereEachLineWentAndKeepsItsData) {
    struct Add {
        const char* text;
        int position;
    };
    // Letter case does not count; a line equal to others goes after them.
    const Add adds[] = {
        {"Euro (EUR)", 0}, {"Belgian franc (BEF)", 0}, {"yen (JPY)", 2}, {"Swiss franc (CHF)", 2},
        {"euro (EUR)", 2}, {"Zloty (PLN)", 5},         {"", 0}};
    for (const Add& a : adds) {
        const int got = W().ListAdd(lstSorted, a.text);
        EXPECT_EQ(got, a.position) << "adding \"" << a.text << "\"";
        W().SetItemData(lstSorted, got, 100 + W().ListCount(lstSorted));
    }
    EXPECT_EQ(Lines(lstSorted),
              (Texts{"=107", "Belgian franc (BEF)=102", "Euro (EUR)=101", "euro (EUR)=105",
                     "Swiss franc (CHF)=104", "yen (JPY)=103", "Zloty (PLN)=106"}));
}

TEST_F(Contract, UnsortedListAppends) {
    EXPECT_EQ(W().ListAdd(lstPlain, "b"), 0);
    EXPECT_EQ(W().ListAdd(lstPlain, "a"), 1);
    EXPECT_EQ(W().ListAdd(lstPlain, "c"), 2);
    EXPECT_EQ(Lines(lstPlain), (Texts{"b=0", "a=0", "c=0"}));
}

TEST_F(Contract, SelectionIsMinusOneForNoneAndFollowsItsLine) {
    EXPECT_EQ(W().ListIndex(lstSorted), -1) << "a new list has no selection";
    EXPECT_EQ(W().Text(lstSorted), "");
    W().ListAdd(lstSorted, "b");
    W().ListAdd(lstSorted, "d");
    W().SetListIndex(lstSorted, 1);
    EXPECT_EQ(W().Text(lstSorted), "d");
    W().ListAdd(lstSorted, "a");  // before the selected line
    EXPECT_EQ(W().ListIndex(lstSorted), 2);
    EXPECT_EQ(W().Text(lstSorted), "d");
    W().ListRemove(lstSorted, 0);
    EXPECT_EQ(W().ListIndex(lstSorted), 1);
    W().ListRemove(lstSorted, 1);  // the selected line
    EXPECT_EQ(W().ListIndex(lstSorted), -1);
    W().SetListIndex(lstSorted, 0);
    W().SetListIndex(lstSorted, 5);
    EXPECT_EQ(W().ListIndex(lstSorted), -1) << "a position outside the list selects nothing";
    W().SetListIndex(lstSorted, 0);
    W().ListSetLines(lstSorted, {}, 0);
    EXPECT_EQ(W().ListIndex(lstSorted), -1);
    EXPECT_EQ(W().ListCount(lstSorted), 0);
}

TEST_F(Contract, RewrittenLineKeepsItsPlaceDataAndSelection) {
    W().ListAdd(lstSorted, "a");
    W().ListAdd(lstSorted, "m");
    W().ListAdd(lstSorted, "z");
    W().SetItemData(lstSorted, 1, 42);
    W().SetListIndex(lstSorted, 1);
    W().ListSetText(lstSorted, 1, "zz new");
    EXPECT_EQ(Lines(lstSorted), (Texts{"a=0", "zz new=42", "z=0"}));
    EXPECT_EQ(W().ListIndex(lstSorted), 1);
    // The sort goes on from the lines as they now read.
    EXPECT_EQ(W().ListAdd(lstSorted, "zzz"), 3);
}

TEST_F(Contract, ListsReplacedWholeKeepTheirOrderDataAndSelection) {
    W().ListAdd(lstSorted, "old");
    W().ListSetLines(lstSorted, {{"b", 2}, {"a", 1}, {"c", 3}}, 1);
    EXPECT_EQ(Lines(lstSorted), (Texts{"b=2", "a=1", "c=3"})) << "taken in the order given";
    EXPECT_EQ(W().ListLines(lstSorted), (std::vector<tk::ListLine>{{"b", 2}, {"a", 1}, {"c", 3}}));
    EXPECT_EQ(W().ListIndex(lstSorted), 1);
    // Adding one by one goes on from the lines as they stand.
    EXPECT_EQ(W().ListAdd(lstSorted, "bb"), 2);
    W().ListSetLines(lstSorted, {}, 0);
    EXPECT_EQ(W().ListCount(lstSorted), 0);
    EXPECT_EQ(W().ListIndex(lstSorted), -1) << "a selection outside the lines is none";
}

TEST_F(Contract, PositionsOutsideTheListAreHarmless) {
    W().ListAdd(lstSorted, "only");
    for (int pos : {-1, 1, 1000}) {
        EXPECT_EQ(W().ListText(lstSorted, pos), "") << "position " << pos;
        EXPECT_EQ(W().ItemData(lstSorted, pos), 0) << "position " << pos;
        W().SetItemData(lstSorted, pos, 7);
        W().ListSetText(lstSorted, pos, "x");
        W().ListRemove(lstSorted, pos);
    }
    EXPECT_EQ(Lines(lstSorted), (Texts{"only=0"}));
    EXPECT_EQ(W().Text(99), "") << "an id outside the table";
}

TEST_F(Contract, ControlsHoldTheirTextsValuesAndSelections) {
    EXPECT_EQ(W().Text(txtBox), "start");
    EXPECT_EQ(W().Text(lblText), "label");
    for (const char* text : {"Z\xC5\x82oty \xE2\x82\xAC", " 40.3399", "AB ", ""}) {
        W().SetText(lblText, text);
        EXPECT_EQ(W().Text(lblText), text);
    }
    W().SetText(txtBox, "12345");
    EXPECT_EQ(W().SelStart(txtBox), 0);
    W().SetSelection(txtBox, 1, 3);
    EXPECT_EQ(W().SelStart(txtBox), 1);
    EXPECT_EQ(W().SelLength(txtBox), 3);
    W().SetSelection(txtBox, 4, 10);  // cut to the text
    EXPECT_EQ(W().SelStart(txtBox), 4);
    EXPECT_EQ(W().SelLength(txtBox), 1);
    EXPECT_EQ(W().Value(chkBox), 0);
    W().SetValue(chkBox, 1);
    EXPECT_EQ(W().Value(chkBox), 1);
    EXPECT_TRUE(W().Enabled(cmdOK));
    W().SetEnabled(cmdOK, false);
    EXPECT_FALSE(W().Enabled(cmdOK));
}

TEST_F(Contract, SetFocusReachesGotFocus) {
    frmTest.Show();
    frmTest().focus.clear();
    W().SetFocus(txtBox);
    W().SetFocus(cmdCancel);
    EXPECT_EQ(frmTest().focus, (std::vector<int>{txtBox, cmdCancel}));
}

TEST_F(Contract, LoadShowUnloadRunTheHandlersOnce) {
    frmTest.Load();
    EXPECT_FALSE(W().Visible()) << "a loaded form is hidden";
    frmTest.Show();
    EXPECT_TRUE(W().Visible());
    frmTest.Show();
    frmTest.Unload();
    EXPECT_FALSE(frmTest.Loaded());
    frmTest.Unload();
    EXPECT_EQ(Events(), (Texts{"load", "unload"}));
}

TEST_F(Contract, ModalShowReturnsWhenTheFormIsUnloaded) {
    frmHost.Show();
    std::optional<bool> hostDuring;
    peer->WhileModal([&] {
        Events().push_back("modal");
        hostDuring = peer->TakesInput(frmHost());
        frmTest.Unload();
    });
    frmTest.Show(true);
    Events().push_back("returned");
    EXPECT_EQ(Events(), (Texts{"load", "modal", "unload", "returned"}));
    EXPECT_FALSE(frmTest.Loaded());
    ASSERT_TRUE(hostDuring.has_value()) << "nothing ran while the form was shown modally";
    EXPECT_FALSE(*hostDuring) << "the other window took input during the modal show";
    EXPECT_TRUE(peer->TakesInput(frmHost())) << "the other window stayed disabled";
}

TEST_F(Contract, ModalShowReturnsWhenTheFormIsHidden) {
    peer->WhileModal([&] { frmTest().Peer().SetVisible(false); });
    frmTest.Show(true);
    EXPECT_TRUE(frmTest.Loaded()) << "hiding leaves the form loaded";
    EXPECT_FALSE(frmTest().Peer().Visible());
    EXPECT_EQ(Events(), (Texts{"load"}));
}

// SetChart puts the cursor on the last point; a cursor outside the points is none.
TEST_F(Contract, AChartsCursorStaysOnItsPoints) {
    tk::ChartData three;
    three.points = {{100, 5}, {101, 7}, {105, 6}};
    three.yLow = 0;
    three.yHigh = 10;
    constexpr int kNoChange = -2;
    const struct {
        const char* what;
        const tk::ChartData* data;  // given to SetChart; nullptr: none
        int moveTo;                 // given to SetChartCursor; kNoChange: none
        int cursor;
    } steps[] = {
        {"a new chart", nullptr, kNoChange, -1}, {"no points", nullptr, 0, -1},
        {"three points", &three, kNoChange, 2},  {"to the first", nullptr, 0, 0},
        {"past the last", nullptr, 3, -1},       {"to the middle", nullptr, 1, 1},
        {"before the first", nullptr, -1, -1},   {"three points again", &three, kNoChange, 2},
    };
    frmSize.Load();
    tk::WindowPeer& w = frmSize().Peer();
    for (const auto& step : steps) {
        if (step.data != nullptr) w.SetChart(chtLine, *step.data);
        if (step.moveTo != kNoChange) w.SetChartCursor(chtLine, step.moveTo);
        EXPECT_EQ(w.ChartCursor(chtLine), step.cursor) << step.what;
    }
    w.SetChart(chtLine, {});
    EXPECT_EQ(w.ChartCursor(chtLine), -1) << "emptied";
    w.SetChart(lblWide, three);
    EXPECT_EQ(w.ChartCursor(lblWide), -1) << "a label is no chart";
}

// The anchored edges keep their distance from the form's edges; the others stay. The form
// hears of it when the controls are in place already.
TEST_F(Contract, AnchoredControlsFollowTheFormsSize) {
    using R = tk::TwipsRect;
    const struct {
        int width, height;
        R chart, label, tall;
    } rows[] = {
        {7110, 3900, {120, 480, 5700, 3300}, {120, 120, 5700, 255}, {4440, 480, 1050, 2100}},
        {5610, 3000, {120, 480, 4200, 2400}, {120, 120, 4200, 255}, {4440, 480, 1050, 1200}},
        {6000, 3000, {120, 480, 4590, 2400}, {120, 120, 4590, 255}, {4440, 480, 1050, 1200}},
        // never below the table's size
        {1500, 900, {120, 480, 4200, 2400}, {120, 120, 4200, 255}, {4440, 480, 1050, 1200}},
    };
    const R stays{4440, 1800, 1050, 375};
    frmSize.Show();
    std::optional<R> seen;
    frmSize().onResize = [&] { seen = peer->Place(frmSize(), chtLine); };
    for (const auto& row : rows) {
        seen.reset();
        peer->Resize(frmSize(), row.width, row.height);
        const std::string size = std::to_string(row.width) + " x " + std::to_string(row.height);
        EXPECT_EQ(peer->Place(frmSize(), chtLine), row.chart) << size;
        EXPECT_EQ(peer->Place(frmSize(), lblWide), row.label) << size;
        EXPECT_EQ(peer->Place(frmSize(), cmdTall), row.tall) << size;
        EXPECT_EQ(peer->Place(frmSize(), cmdStays), stays) << size;
        EXPECT_EQ(seen, row.chart) << size << ": Form_Resize ran before the controls moved";
    }
    frmSize().onResize = nullptr;
}

TEST_F(Contract, SettingsRoundTripEveryTextExactly) {
    tk::SettingsStore& store = peer->Settings();
    const std::string app = peer->ScratchApp();
    const std::string texts[] = {" 40.3399",
                                 "AB ",
                                 "Euro\r",
                                 "",
                                 "a\r\nb\tc",
                                 "  lead",
                                 "Z\xC5\x82oty \xE2\x82\xAC",
                                 std::string(3000, 'x')};
    const char* keys[] = {"K0", "K1", "K2", "K3", "K4", "K5", "K6", "K7"};
    static_assert(std::size(keys) == std::size(texts));
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        const std::string key = keys[i];
        const std::string& text = texts[i];
        ASSERT_TRUE(store.WriteSetting(app, "Settings", key, text)) << key;
        EXPECT_EQ(store.ReadSetting(app, "Settings", key, "missing"), text) << key;
    }
    EXPECT_EQ(store.ReadSetting(app, "Settings", "absent", "fallback"), "fallback");
    EXPECT_EQ(store.ReadSetting(app, "Other", "K0", "none"), "none") << "sections are apart";
    store.WriteSetting(app, "Settings", "K0", "replaced");
    EXPECT_EQ(store.ReadSetting(app, "Settings", "K0", ""), "replaced");
}

// A date and time written as the short date, a blank and the long time reads back to the
// same date and time through the system's own conversion; the date alone to that day.
TEST_F(Contract, DatesAndTimesReadBackAsWritten) {
    tk::RegionalService& regional = *tk::Services().regional;
    const tk::LocalTime times[] = {{2026, 12, 8, 14, 5, 9},
                                   {2024, 2, 29, 0, 0, 1},
                                   {1999, 1, 31, 23, 59, 59},
                                   {2029, 10, 5, 12, 30, 0}};
    for (const tk::LocalTime& t : times) {
        const std::string date = regional.ShortDate(t.year, t.month, t.day);
        const std::string time = regional.LongTime(t.hour, t.minute, t.second);
        EXPECT_EQ(regional.ReadDateTime(date + " " + time), t) << date << " " << time;
        EXPECT_EQ(regional.ReadDateTime(date), (tk::LocalTime{t.year, t.month, t.day, 0, 0, 0}))
            << date;
    }
    for (const char* notADate : {"", "yesterday", "0x"}) {
        EXPECT_EQ(regional.ReadDateTime(notADate), std::nullopt) << notADate;
    }
    const std::string time = regional.LongTime(14, 5, 9);
    EXPECT_NE(time.find("05"), std::string::npos) << time;
    EXPECT_NE(time.find("09"), std::string::npos) << time;

    const tk::LocalTime now = tk::Services().clock->Now();
    EXPECT_TRUE(now.year >= 2000 && now.month >= 1 && now.month <= 12 && now.day >= 1 &&
                now.day <= 31)
        << now.year << "-" << now.month << "-" << now.day;
    EXPECT_TRUE(now.hour >= 0 && now.hour < 24 && now.minute >= 0 && now.minute < 60 &&
                now.second >= 0 && now.second < 62)
        << now.hour << ":" << now.minute << ":" << now.second;
}

}  // namespace
