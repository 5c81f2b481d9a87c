// The Win32 peer's own promises: what programs driving the converter from outside read
// (classes, ids, texts, pixel places), and how window messages become form events.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <windows.h>
// Need the types of windows.h.
#include <oleacc.h>
#include <sddl.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/FormSlot.h"
#include "toolkit/win32/Win32.h"

namespace {

using tk::win32::kControlIdBase;

using tk::Kind;

enum : int { boxPic, lblIn, cmdA, cmdB, txtIn, chkIn, lstIn, cmdThrow, lblOver };

std::vector<std::string> events;

// How long a test leaves a context menu open before CloseLeftMenu closes it.
constexpr UINT kMenuGuardMs = 3000;
void CALLBACK CloseLeftMenu(HWND, UINT, UINT_PTR, DWORD) {
    events.push_back("menu left open");
    EndMenu();
}

class PeerForm : public tk::Form {
public:
    static const tk::FormSpec kSpec;
    const tk::FormSpec& Layout() const override { return kSpec; }
    void Form_Resize() override {
        events.push_back("resize " + std::to_string(Peer().WindowState()));
    }
    void Form_KeyDown(std::int16_t key, std::int16_t shift) override {
        events.push_back("down " + std::to_string(key) + " " + std::to_string(shift));
    }
    void Form_KeyPress(std::int16_t& ch) override {
        events.push_back("press " + std::to_string(ch));
        if (ch == swallow) ch = 0;
    }
    void Form_MouseMove(std::int16_t, std::int16_t, float x, float) override {
        events.push_back("move " + std::to_string(static_cast<int>(x)));
    }
    // The rows' handlers: each notes its event and the control's or menu's id.
    template <int Id>
    void Clicked() {
        events.push_back("click " + std::to_string(Id));
    }
    void cmdThrow_Click() {
        Clicked<cmdThrow>();
        throw std::runtime_error("handler failed");
    }
    void lstIn_DblClick() { events.push_back("dblclick " + std::to_string(lstIn)); }
    template <int Menu>
    void MenuChosen() {
        events.push_back("menu " + std::to_string(Menu));
    }
    std::int16_t swallow = -1;
};

constexpr tk::ControlSpec kControls[] = {
    {.kind = Kind::Picture,
     .name = "boxPic",
     .caption = "",
     .rect = {.left = 120, .top = 120, .width = 2775, .height = 440},
     .tabOrder = 0,
     .flags = tk::kNoTabStop},
    {.kind = Kind::Label,
     .name = "lblIn",
     .caption = "0",
     .rect = {.left = 0, .top = 0, .width = 2055, .height = 375},
     .tabOrder = 1,
     .flags = tk::kRightAlign | tk::kBold,
     .parent = boxPic,
     .fontFace = "MS Sans Serif",
     .fontHundredthsPt = 1350},
    {.kind = Kind::Button,
     .name = "cmdA",
     .caption = "A",
     .rect = {.left = 120, .top = 720, .width = 615, .height = 375},
     .tabOrder = 2,
     .flags = tk::kDefault,
     .click = tk::Handler<&PeerForm::Clicked<cmdA>>},
    {.kind = Kind::Button,
     .name = "cmdB",
     .caption = "B",
     .rect = {.left = 841, .top = 721, .width = 613, .height = 377},
     .tabOrder = 3,
     .flags = tk::kCancel,
     .click = tk::Handler<&PeerForm::Clicked<cmdB>>},
    {.kind = Kind::TextBox,
     .name = "txtIn",
     .caption = "",
     .rect = {.left = 120, .top = 1200, .width = 1500, .height = 300},
     .tabOrder = 4},
    {.kind = Kind::CheckBox,
     .name = "chkIn",
     .caption = "C",
     .rect = {.left = 1700, .top = 1200, .width = 1000, .height = 300},
     .tabOrder = 5,
     .click = tk::Handler<&PeerForm::Clicked<chkIn>>},
    {.kind = Kind::ListBox,
     .name = "lstIn",
     .caption = "",
     .rect = {.left = 120, .top = 1600, .width = 1500, .height = 600},
     .tabOrder = 6,
     .click = tk::Handler<&PeerForm::Clicked<lstIn>>,
     .dblClick = tk::Handler<&PeerForm::lstIn_DblClick>},
    {.kind = Kind::Button,
     .name = "cmdThrow",
     .caption = "T",
     .rect = {.left = 1700, .top = 1600, .width = 615, .height = 375},
     .tabOrder = 7,
     .click = tk::Handler<&PeerForm::cmdThrow_Click>},
    {.kind = Kind::Label,
     .name = "lblOver",
     .caption = "",
     .rect = {.left = 60, .top = 0, .width = 300, .height = 375},
     .tabOrder = 8,
     .flags = tk::kBold | tk::kOverlay,
     .parent = boxPic,
     .fontFace = "MS Sans Serif",
     .fontHundredthsPt = 1350},
};
constexpr tk::MenuSpec kMenus[] = {{"mnuOne", "&One", tk::Handler<&PeerForm::MenuChosen<0>>},
                                   {"mnuTwo", "T&wo", tk::Handler<&PeerForm::MenuChosen<1>>}};

const tk::FormSpec PeerForm::kSpec = {
    "frmPeer", "Peer test", 2985, 2400, tk::kMinimizeBox | tk::kKeyPreview | tk::kShowInTaskbar,
    kControls, kMenus};

tk::FormSlot<PeerForm> frmPeer;

class Win32Peer : public testing::Test {
protected:
    void SetUp() override {
        events.clear();
        platform.windows.onClose = [](tk::Form& f) {
            events.push_back(std::string("close ") + f.Layout().name);
        };
        frmPeer.Show();
        Pump();
        events.clear();
    }
    void TearDown() override {
        frmPeer.Discard();
        tk::RetireUnloaded();
    }
    HWND Main() {
        return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(frmPeer().Peer().Handle()));
    }
    HWND Ctl(int id) {
        HWND parent =
            id == lblIn || id == lblOver ? GetDlgItem(Main(), kControlIdBase + boxPic) : Main();
        return GetDlgItem(parent, kControlIdBase + id);
    }
    void Pump() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            platform.windows.Dispatch(msg);
        }
    }
    // A key as the keyboard sends it to the focused window.
    void Key(HWND to, UINT vk) {
        const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(vk, 0)) << 16;
        PostMessageW(to, WM_KEYDOWN, vk, scan | 1);
        PostMessageW(to, WM_KEYUP, vk, scan | 1 | (3u << 30));
        Pump();
    }
    static tk::win32::Platform platform;
};
tk::win32::Platform Win32Peer::platform{GetModuleHandleW(nullptr),
                                        {.title = "Peer test", .classPrefix = "PeerTest"}};

std::wstring ClassOf(HWND h) {
    wchar_t name[64] = {};
    GetClassNameW(h, name, 64);
    return name;
}

std::wstring TextOf(HWND h) {
    wchar_t text[256] = {};
    GetWindowTextW(h, text, 256);
    return text;
}

using Events = std::vector<std::string>;

TEST_F(Win32Peer, WindowsCarryTheClassesIdsAndTextsDriversRelyOn) {
    EXPECT_EQ(ClassOf(Main()), L"PeerTestForm");
    EXPECT_EQ(TextOf(Main()), L"Peer test");
    const struct {
        int id;
        const wchar_t* cls;
        const wchar_t* text;
    } expected[] = {{boxPic, L"PeerTestBox", L""}, {lblIn, L"Static", L"0"},
                    {cmdA, L"Button", L"A"},       {txtIn, L"Edit", L""},
                    {chkIn, L"Button", L"C"},      {lstIn, L"ListBox", L""}};
    for (const auto& e : expected) {
        HWND h = Ctl(e.id);
        ASSERT_NE(h, nullptr) << "no window with id " << kControlIdBase + e.id;
        EXPECT_EQ(GetDlgCtrlID(h), kControlIdBase + e.id);
        EXPECT_EQ(_wcsicmp(ClassOf(h).c_str(), e.cls), 0) << "control " << e.id;
        EXPECT_EQ(TextOf(h), e.text) << "control " << e.id;
    }
    frmPeer().SetText(lblIn, "4,033.99");
    EXPECT_EQ(TextOf(Ctl(lblIn)), L"4,033.99");
    HMENU menu = GetMenu(Main());
    ASSERT_EQ(GetMenuItemCount(menu), 2);
    wchar_t caption[32] = {};
    GetMenuStringW(menu, 1, caption, 32, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(caption), L"T&wo");
}

TEST_F(Win32Peer, TwipsBecomePixelsEdgeByEdgeAtTheScreenDpi) {
    const int dpi = platform.windows.Dpi();
    const auto px = [dpi](int twips) { return MulDiv(twips, dpi, 1440); };
    RECT client{};
    GetClientRect(Main(), &client);
    EXPECT_EQ(client.right, px(2985));
    EXPECT_EQ(client.bottom, px(2400));
    RECT r{};
    GetWindowRect(Ctl(cmdB), &r);
    MapWindowPoints(nullptr, Main(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, px(841));
    EXPECT_EQ(r.top, px(721));
    EXPECT_EQ(r.right, px(841 + 613));
    EXPECT_EQ(r.bottom, px(721 + 377));
    EXPECT_EQ(frmPeer().Peer().TwipsPerPixelX(), 1440 / dpi);
}

TEST_F(Win32Peer, ControlsGetTheFontsOfTheirTable) {
    const int dpi = platform.windows.Dpi();
    LOGFONTW lf{};
    auto font = reinterpret_cast<HFONT>(SendMessageW(Ctl(lblIn), WM_GETFONT, 0, 0));
    ASSERT_NE(GetObjectW(font, sizeof lf, &lf), 0);
    EXPECT_EQ(std::wstring(lf.lfFaceName), L"MS Sans Serif");
    EXPECT_EQ(lf.lfHeight, -MulDiv(1350, dpi, 7200)) << "13.5 pt";
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    font = reinterpret_cast<HFONT>(SendMessageW(Ctl(cmdA), WM_GETFONT, 0, 0));
    ASSERT_NE(GetObjectW(font, sizeof lf, &lf), 0);
    EXPECT_EQ(lf.lfHeight, -MulDiv(825, dpi, 7200)) << "the dialog font, 8.25 pt";
    EXPECT_EQ(lf.lfWeight, FW_NORMAL);
}

TEST_F(Win32Peer, KeyPreviewSeesEveryKeyBeforeEnterAndEsc) {
    SetFocus(Ctl(cmdA));
    events.clear();
    Key(Ctl(cmdA), '7');
    Key(Ctl(cmdA), VK_ESCAPE);
    EXPECT_EQ(events, (Events{"down 55 0", "press 55", "down 27 0", "press 27", "click 3"}))
        << "Esc reaches the form, then presses the cancel button";
    SetFocus(Ctl(cmdB));
    events.clear();
    Key(Ctl(cmdB), VK_RETURN);
    EXPECT_EQ(events, (Events{"down 13 0", "press 13", "click 3"}))
        << "Enter presses the focused button";
    events.clear();
    SetFocus(Ctl(txtIn));
    Key(Ctl(txtIn), VK_RETURN);
    EXPECT_EQ(events, (Events{"down 13 0", "press 13", "click 2"})) << "else the default button";
    events.clear();
    frmPeer().swallow = 27;
    Key(Ctl(txtIn), VK_ESCAPE);
    EXPECT_EQ(events, (Events{"down 27 0", "press 27"})) << "a swallowed Esc presses nothing";
    events.clear();
    frmPeer().swallow = 13;
    SetFocus(Ctl(cmdB));
    Key(Ctl(cmdB), VK_RETURN);
    EXPECT_EQ(events, (Events{"down 13 0", "press 13"})) << "a swallowed Enter presses nothing";
}

TEST_F(Win32Peer, TheKeypadsOperatorKeysArriveAsTheirCharacters) {
    SetFocus(Ctl(cmdA));
    const std::pair<UINT, char> keys[] = {
        {VK_ADD, '+'}, {VK_SUBTRACT, '-'}, {VK_MULTIPLY, '*'}, {VK_DIVIDE, '/'}};
    for (const auto& [vk, ch] : keys) {
        events.clear();
        Key(Ctl(cmdA), vk);
        EXPECT_EQ(events,
                  (Events{"down " + std::to_string(vk) + " 0", "press " + std::to_string(ch)}))
            << "key " << vk;
    }
}

TEST_F(Win32Peer, AnOverlayShowsOnlyWithItsCaptionAndNothingPaintsOverIt) {
    HWND over = Ctl(lblOver);
    ASSERT_NE(over, nullptr);
    EXPECT_FALSE(IsWindowVisible(over)) << "an overlay without a caption is hidden";
    EXPECT_EQ(GetWindow(GetParent(over), GW_CHILD), over) << "the overlay lies on top";

    // A blank caption shows the overlay's background only; the label below, with a text
    // running under the overlay, must leave it so.
    frmPeer().SetText(lblOver, " ");
    EXPECT_TRUE(IsWindowVisible(over));
    frmPeer().SetText(lblIn, "8888888888888888888888888");
    RedrawWindow(GetParent(over), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    HDC dc = GetDC(over);
    RECT r{};
    GetClientRect(over, &r);
    const COLORREF background = GetPixel(dc, 0, 0);
    int other = 0;
    for (int y = 0; y < r.bottom; ++y) {
        for (int x = 0; x < r.right; ++x) other += GetPixel(dc, x, y) != background ? 1 : 0;
    }
    ReleaseDC(over, dc);
    EXPECT_EQ(other, 0) << "the label below painted over the overlay";

    frmPeer().SetText(lblOver, "");
    EXPECT_FALSE(IsWindowVisible(over));
    EXPECT_EQ(TextOf(over), L"");
}

TEST_F(Win32Peer, TabMovesTheFocusInTabOrder) {
    SetFocus(Ctl(cmdA));
    const int order[] = {cmdB, txtIn, chkIn, lstIn, cmdThrow, cmdA};
    for (int id : order) {
        Key(GetFocus(), VK_TAB);
        EXPECT_EQ(GetFocus(), Ctl(id)) << "expected the focus on control " << id << ", it is on id "
                                       << GetDlgCtrlID(GetFocus()) - 100;
    }
}

TEST_F(Win32Peer, DefaultButtonMoves) {
    frmPeer().Peer().SetDefaultButton(cmdB);
    SetFocus(Ctl(txtIn));
    events.clear();
    Key(Ctl(txtIn), VK_RETURN);
    EXPECT_EQ(events, (Events{"down 13 0", "press 13", "click 3"}));
}

TEST_F(Win32Peer, MessagesBecomeFormEvents) {
    PostMessageW(Main(), WM_COMMAND, 1000 + 1, 0);
    PostMessageW(Ctl(cmdA), BM_CLICK, 0, 0);
    SendMessageW(Ctl(lstIn), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"x"));
    PostMessageW(Main(), WM_COMMAND, MAKEWPARAM(kControlIdBase + lstIn, LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(Ctl(lstIn)));
    // The notification icon's release of the left button.
    PostMessageW(Main(), WM_MOUSEMOVE, 1, 514);
    PostMessageW(Main(), WM_CLOSE, 0, 0);
    Pump();
    const int tpp = 1440 / platform.windows.Dpi();
    EXPECT_EQ(events, (Events{"menu 1", "click 2", "dblclick 6",
                              "move " + std::to_string(514 * tpp), "close frmPeer"}));
}

TEST_F(Win32Peer, AThrowingHandlerIsReportedAndTheProgramGoesOn) {
    testing::TestPartResultArray reported;
    {
        testing::ScopedFakeTestPartResultReporter intercept(
            testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &reported);
        PostMessageW(Ctl(cmdThrow), BM_CLICK, 0, 0);
        PostMessageW(Ctl(cmdA), BM_CLICK, 0, 0);
        Pump();
    }
    EXPECT_EQ(events, (Events{"click 7", "click 2"}));
    ASSERT_EQ(reported.size(), 1) << "expected the throw reported once";
    EXPECT_NE(std::string(reported.GetTestPartResult(0).message()).find("threw: handler failed"),
              std::string::npos)
        << reported.GetTestPartResult(0).message();
}

TEST_F(Win32Peer, MinimisingAndRestoringReachFormResize) {
    frmPeer().Peer().SetWindowState(tk::kStateMinimized);
    Pump();
    EXPECT_EQ(frmPeer().Peer().WindowState(), tk::kStateMinimized);
    frmPeer().Peer().SetWindowState(tk::kStateNormal);
    Pump();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front(), "resize 1");
    EXPECT_EQ(events.back(), "resize 0");
}

TEST_F(Win32Peer, ADestroyedPeerAnswersHarmlessly) {
    tk::WindowPeer& peer = frmPeer().Peer();
    HWND hwnd = Main();
    peer.Destroy();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(peer.Text(cmdA), "");
    EXPECT_FALSE(peer.Visible());
    EXPECT_EQ(peer.ListAdd(lstIn, "x"), -1);
    EXPECT_EQ(peer.ListIndex(lstIn), -1);
    peer.SetText(cmdA, "y");
    peer.SetVisible(true);
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    Pump();
    EXPECT_TRUE(events.empty());
}

TEST_F(Win32Peer, ALogOffEndsTheProgramOnce) {
    int ends = 0;
    platform.windows.onEndSession = [&ends] { ++ends; };
    EXPECT_EQ(SendMessageW(Main(), WM_QUERYENDSESSION, 0, 0), TRUE);
    SendMessageW(Main(), WM_ENDSESSION, FALSE, 0);
    EXPECT_EQ(ends, 0) << "a cancelled log-off ends nothing";
    SendMessageW(Main(), WM_ENDSESSION, TRUE, 0);
    SendMessageW(Main(), WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(ends, 1);
    platform.windows.onEndSession = nullptr;
}

// Containers that contain each other: a table fault the peer survives.
constexpr tk::ControlSpec kCircle[] = {
    {.kind = Kind::Picture,
     .name = "boxOne",
     .caption = "",
     .rect = {.left = 0, .top = 0, .width = 600, .height = 600},
     .tabOrder = 0,
     .parent = 1},
    {.kind = Kind::Picture,
     .name = "boxTwo",
     .caption = "",
     .rect = {.left = 0, .top = 0, .width = 300, .height = 300},
     .tabOrder = 1,
     .parent = 0},
    {.kind = Kind::Label,
     .name = "lblSelf",
     .caption = "self",
     .rect = {.left = 0, .top = 0, .width = 300, .height = 300},
     .tabOrder = 2,
     .parent = 2},
};
class CircleForm : public tk::Form {
public:
    static const tk::FormSpec kSpec;
    const tk::FormSpec& Layout() const override { return kSpec; }
};
const tk::FormSpec CircleForm::kSpec = {"frmCircle", "Circle", 1000, 1000, 0, kCircle, {}};
tk::FormSlot<CircleForm> frmCircle;

BOOL CALLBACK CountWindow(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

TEST_F(Win32Peer, ATableWithCircularContainersStillMakesEveryControlOnce) {
    frmCircle.Load();
    HWND form = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(frmCircle().Peer().Handle()));
    int found = 0;
    EnumChildWindows(form, CountWindow, reinterpret_cast<LPARAM>(&found));
    EXPECT_EQ(found, 3);
    EXPECT_EQ(frmCircle().Text(2), "self");
    frmCircle.Unload();
}

// A borderless picture box is a plain container: no edge, and its children inside it.
constexpr tk::ControlSpec kFrameControls[] = {
    {.kind = Kind::Picture,
     .name = "Frame1",
     .caption = "",
     .rect = {.left = 120, .top = 60, .width = 2000, .height = 1000},
     .tabOrder = 1,
     .flags = tk::kNoTabStop | tk::kBorderless},
    {.kind = Kind::Button,
     .name = "cmdIn",
     .caption = "In",
     .rect = {.left = 0, .top = 0, .width = 600, .height = 375},
     .tabOrder = 0,
     .parent = 0},
    {.kind = Kind::Picture,
     .name = "Picture2",
     .caption = "",
     .rect = {.left = 120, .top = 1200, .width = 2000, .height = 400},
     .tabOrder = 2,
     .flags = tk::kNoTabStop},
};
class FrameForm : public tk::Form {
public:
    static const tk::FormSpec kSpec;
    const tk::FormSpec& Layout() const override { return kSpec; }
};
const tk::FormSpec FrameForm::kSpec = {"frmFrame",       "Frame",        2400, 1800,
                                       tk::kDialogFrame, kFrameControls, {}};
tk::FormSlot<FrameForm> frmFrame;

// Letters beyond ASCII change case and sort by the user's locale, not by their bytes.
TEST_F(Win32Peer, TheUsersLocaleCapitalisesAndOrders) {
    tk::win32::SystemServices& system = platform.system;
    EXPECT_EQ(system.UpperCase("\xc3\xa9ur"), "\xc3\x89UR") << "expected \"éur\" as \"ÉUR\"";
    EXPECT_EQ(system.SortKey("EURO"), system.SortKey("euro")) << "case counts in the order";
    const char* ordered[] = {"Dollar",
                             "\xc3\x89"
                             "cu",
                             "euro",
                             "\xc5\xbd"
                             "aba",
                             "Zloty"};
    for (std::size_t i = 0; i + 1 < std::size(ordered); ++i) {
        EXPECT_LT(system.SortKey(ordered[i]), system.SortKey(ordered[i + 1]))
            << "expected \"" << ordered[i] << "\" before \"" << ordered[i + 1] << "\"";
    }
}

// Lines added above the view, as an update adds currencies, do not scroll the list.
TEST_F(Win32Peer, ReplacingTheLinesKeepsTheTopLineInView) {
    tk::WindowPeer& w = frmPeer().Peer();
    std::vector<tk::ListLine> lines;
    for (int i = 0; i < 60; ++i) lines.push_back({"line " + std::to_string(100 + i), i});
    w.ListSetLines(lstIn, lines, -1);
    SendMessageW(Ctl(lstIn), LB_SETTOPINDEX, 40, 0);
    ASSERT_EQ(SendMessageW(Ctl(lstIn), LB_GETTOPINDEX, 0, 0), 40);
    lines.insert(lines.begin(), {{"line 000", 60}, {"line 001", 61}});
    w.ListSetLines(lstIn, lines, -1);
    EXPECT_EQ(w.ListText(lstIn, static_cast<int>(SendMessageW(Ctl(lstIn), LB_GETTOPINDEX, 0, 0))),
              "line 140")
        << "expected the line at the top before to stay at the top";
}

TEST_F(Win32Peer, BorderlessPictureHasNoEdge) {
    frmFrame.Load();
    HWND form = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(frmFrame().Peer().Handle()));
    HWND frame = GetDlgItem(form, kControlIdBase + 0);   // Frame1
    HWND framed = GetDlgItem(form, kControlIdBase + 2);  // Picture2
    ASSERT_NE(frame, nullptr);
    ASSERT_NE(framed, nullptr);
    EXPECT_EQ(GetWindowLongW(frame, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0) << "the frame has an edge";
    EXPECT_NE(GetWindowLongW(framed, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0)
        << "a plain picture box lost its edge";
    EXPECT_NE(GetDlgItem(frame, kControlIdBase + 1), nullptr)
        << "the button is not inside the frame";
    frmFrame.Unload();
}

// A sizable form that previews keys: a chart, a group of two buttons and a plain button; the
// chart and the group have context menus.
enum : int { chtRates, cmdPair0, cmdPair1, cmdPlain };

class ChartForm : public tk::Form {
public:
    static const tk::FormSpec kSpec;
    const tk::FormSpec& Layout() const override { return kSpec; }
    void Form_KeyDown(std::int16_t key, std::int16_t shift) override {
        events.push_back("down " + std::to_string(key) + " " + std::to_string(shift));
    }
    void chtRates_Click() { events.push_back("cursor " + std::to_string(Peer().ChartCursor(0))); }
    void mnuCopy_Click() { events.push_back("copy"); }
    void mnuSave_Click() { events.push_back("save"); }
    void mnuSwap_Click(int index) { events.push_back("swap " + std::to_string(index)); }
};

constexpr tk::MenuSpec kChartMenu[] = {
    {"mnuCopy", "&Copy", tk::Handler<&ChartForm::mnuCopy_Click>},
    {"mnuSave", "&Save", tk::Handler<&ChartForm::mnuSave_Click>}};
constexpr tk::MenuSpec kPairMenu[] = {{"mnuSwap", "S&wap", tk::Handler<&ChartForm::mnuSwap_Click>}};

constexpr tk::ControlSpec kChartControls[] = {
    {.kind = Kind::Chart,
     .name = "chtRates",
     .caption = "",
     .rect = {.left = 120, .top = 120, .width = 4200, .height = 2400},
     .tabOrder = 0,
     .flags = tk::kAnchorRight | tk::kAnchorBottom,
     .click = tk::Handler<&ChartForm::chtRates_Click>,
     .contextMenu = kChartMenu},
    {.kind = Kind::Button,
     .name = "cmdPair",
     .index = 0,
     .caption = "0",
     .rect = {.left = 4440, .top = 120, .width = 615, .height = 375},
     .tabOrder = 1,
     .contextMenu = kPairMenu},
    {.kind = Kind::Button,
     .name = "cmdPair",
     .index = 1,
     .caption = "1",
     .rect = {.left = 4440, .top = 600, .width = 615, .height = 375},
     .tabOrder = 2,
     .contextMenu = kPairMenu},
    {.kind = Kind::Button,
     .name = "cmdPlain",
     .caption = "P",
     .rect = {.left = 4440, .top = 1080, .width = 615, .height = 375},
     .tabOrder = 3},
};
const tk::FormSpec ChartForm::kSpec = {
    "frmChart", "Chart", 5175, 2640, tk::kKeyPreview | tk::kSizable, kChartControls, {}};
tk::FormSlot<ChartForm> frmChart;

class Win32Chart : public Win32Peer {
protected:
    void SetUp() override {
        Win32Peer::SetUp();
        // Away from every window, so that the real pointer moves no cursor.
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
        frmChart.Show();
        Pump();
        events.clear();
    }
    void TearDown() override {
        frmChart.Discard();
        Win32Peer::TearDown();
    }
    HWND Form() {
        return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(frmChart().Peer().Handle()));
    }
    HWND Item(int id) { return GetDlgItem(Form(), kControlIdBase + id); }
    static void SetShift(bool down) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = down ? 0x80 : 0;
        SetKeyboardState(keys);
    }
};

TEST_F(Win32Chart, TheNavigationKeysReachTheFormAndLeaveTheFocusOnTheChart) {
    HWND chart = Item(chtRates);
    EXPECT_EQ(_wcsicmp(ClassOf(chart).c_str(), L"PeerTestChart"), 0);
    EXPECT_NE(SendMessageW(chart, WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS, 0);
    EXPECT_NE(GetWindowLongW(chart, GWL_STYLE) & WS_TABSTOP, 0);
    for (UINT vk : {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_PRIOR, VK_NEXT}) {
        SetFocus(chart);
        events.clear();
        Key(chart, vk);
        EXPECT_EQ(events, (Events{"down " + std::to_string(vk) + " 0"})) << "key " << vk;
        EXPECT_EQ(GetFocus(), chart) << "key " << vk << " moved the focus";
    }
    Key(chart, VK_TAB);
    EXPECT_EQ(GetFocus(), Item(cmdPair0)) << "Tab still leaves the chart";
}

TEST_F(Win32Chart, TheMouseMovesTheCursorToTheNearestPointAndRunsClick) {
    tk::ChartData data;
    data.points = {{0, 1}, {10, 3}, {20, 2}};
    data.yLow = 0;
    data.yHigh = 4;
    frmChart().Peer().SetChart(chtRates, data);
    HWND chart = Item(chtRates);
    RECT r{};
    GetClientRect(chart, &r);
    const struct {
        UINT message;
        int x;
        int cursor;
        Events events;
    } rows[] = {
        // The first move only finds the pointer there (a window opened under it), and a move
        // to the same place is a repeat: the cursor stays on the last point.
        {WM_MOUSEMOVE, 0, 2, {}},
        {WM_MOUSEMOVE, 0, 2, {}},
        {WM_MOUSEMOVE, 1, 0, {"cursor 0"}},
        {WM_MOUSEMOVE, 2, 0, {}},  // the same point: no click
        {WM_MOUSEMOVE, r.right / 2, 1, {"cursor 1"}},
        {WM_LBUTTONDOWN, r.right - 1, 2, {"cursor 2"}},
    };
    for (const auto& row : rows) {
        events.clear();
        PostMessageW(chart, row.message, 0, MAKELPARAM(row.x, r.bottom / 2));
        Pump();
        EXPECT_EQ(frmChart().Peer().ChartCursor(chtRates), row.cursor) << "at x " << row.x;
        EXPECT_EQ(events, row.events) << "at x " << row.x;
    }
    EXPECT_EQ(GetFocus(), chart) << "a click gives the chart the focus";
    // Painting the chart with marks on every side, focused, and empty: nothing fails.
    data.marks = {{0, tk::ChartPlace::Above, "1"},
                  {1, tk::ChartPlace::Below, "3"},
                  {2, tk::ChartPlace::Right, "2"},
                  {7, tk::ChartPlace::Right, "none"}};
    data.yLabels = {{0, "0.00"}, {4, "4.00"}};
    data.xLabels = {{0, "Jan"}, {10, "Feb"}};
    frmChart().Peer().SetChart(chtRates, data);
    UpdateWindow(chart);
    frmChart().Peer().SetChart(chtRates, {});
    UpdateWindow(chart);
    EXPECT_EQ(frmChart().Peer().ChartCursor(chtRates), -1);
}

TEST_F(Win32Chart, ASizableFormNeverGoesBelowItsTableSize) {
    const LONG style = GetWindowLongW(Form(), GWL_STYLE);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_CLIPCHILDREN),
              WS_THICKFRAME | WS_MAXIMIZEBOX | WS_CLIPCHILDREN);
    SetWindowPos(Form(), nullptr, 0, 0, 50, 50, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client{};
    GetClientRect(Form(), &client);
    EXPECT_EQ(client.right, platform.windows.Px(5175));
    EXPECT_EQ(client.bottom, platform.windows.Px(2640));
}

TEST_F(Win32Chart, AContextMenuRunsTheChosenCommandWithTheControlsIndex) {
    enum class Ask { RightClick, AppsKey, ShiftF10 };
    const struct {
        const char* what;
        int control;
        Ask ask;
        UINT choose;  // the key pressed in the menu
        Events events;
    } rows[] = {
        {"right click, S&wap", cmdPair1, Ask::RightClick, 'W', {"swap 1"}},
        {"right click on the chart, &Save", chtRates, Ask::RightClick, 'S', {"save"}},
        {"menu key, S&wap", cmdPair0, Ask::AppsKey, 'W', {"down 93 0", "swap 0"}},
        {"Shift+F10, &Copy", chtRates, Ask::ShiftF10, 'C', {"down 121 1", "copy"}},
        {"menu key, Esc", cmdPair0, Ask::AppsKey, VK_ESCAPE, {"down 93 0"}},
        {"no menu", cmdPlain, Ask::RightClick, 0, {}},
    };
    for (const auto& row : rows) {
        HWND control = Item(row.control);
        SetFocus(control);
        events.clear();
        // A menu left open would wait for ever: this closes it.
        const UINT_PTR guard = SetTimer(nullptr, 0, kMenuGuardMs, CloseLeftMenu);
        switch (row.ask) {
            case Ask::RightClick:
                PostMessageW(control, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, 3));
                PostMessageW(control, WM_RBUTTONUP, 0, MAKELPARAM(3, 3));
                break;
            case Ask::AppsKey:
                PostMessageW(control, WM_KEYDOWN, VK_APPS, 1);
                PostMessageW(control, WM_KEYUP, VK_APPS, 1 | (3u << 30));
                break;
            case Ask::ShiftF10:
                SetShift(true);
                PostMessageW(control, WM_SYSKEYDOWN, VK_F10, 1);
                PostMessageW(control, WM_SYSKEYUP, VK_F10, 1 | (3u << 30));
                break;
        }
        if (row.choose != 0) {
            PostMessageW(control, WM_KEYDOWN, row.choose, 1);
            PostMessageW(control, WM_KEYUP, row.choose, 1 | (3u << 30));
        }
        Pump();
        SetShift(false);
        KillTimer(nullptr, guard);
        EXPECT_EQ(events, row.events) << row.what;
    }
}

// The chart answers a screen reader with the name the form gives it, the chart role, and as
// a control that takes the focus.
TEST_F(Win32Chart, AChartsNameAndRoleReachAScreenReader) {
    frmChart().Peer().SetAccessibleName(chtRates, "EUR in USD over 30 days");
    IAccessible* object = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(Item(chtRates), static_cast<DWORD>(OBJID_CLIENT),
                                         __uuidof(IAccessible), reinterpret_cast<void**>(&object)),
              S_OK);
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    EXPECT_EQ(object->get_accName(self, &name), S_OK);
    EXPECT_EQ(std::wstring(name != nullptr ? name : L""), L"EUR in USD over 30 days");
    SysFreeString(name);
    VARIANT role{};
    EXPECT_EQ(object->get_accRole(self, &role), S_OK);
    EXPECT_EQ(role.vt, VT_I4);
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_CHART);
    VARIANT state{};
    EXPECT_EQ(object->get_accState(self, &state), S_OK);
    EXPECT_NE(state.lVal & STATE_SYSTEM_FOCUSABLE, 0) << "state " << state.lVal;
    object->Release();
}

TEST(Win32CommandLine, ArgumentTextFollowsTheProgramNameAndItsBlanks) {
    const struct {
        const wchar_t* line;
        const wchar_t* argument;
    } cases[] = {
        {L"pecun.exe /update", L"/update"},
        {L"\"C:\\Program Files\\Pecunor\\pecun.exe\" /update", L"/update"},
        {L"\"C:\\Program Files\\Pecunor\\pecun.exe\"/update", L"/update"},
        {L"pecun.exe    /update  ", L"/update  "},
        {L"pecun.exe", L""},
        {L"\"pecun.exe", L""},
        {L"pecun.exe \t/Update", L"/Update"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tk::win32::ArgumentText(c.line), c.argument) << "command line: " << c.line;
    }
}

// A settings key the user may read and not write (an administrator's pinned values): every
// read, batched or not, still reads; writes fail and say so.
TEST(Win32Settings, AKeyTheUserMayOnlyReadIsReadInABatch) {
    const std::wstring path = L"Software\\PecunReadOnlyTest\\Settings";
    tk::win32::RegistrySettings::DeleteApp("PecunReadOnlyTest");
    tk::win32::RegistrySettings store;
    ASSERT_TRUE(store.WriteSetting("PecunReadOnlyTest", "Settings", "CN", "21"));
    ASSERT_TRUE(store.WriteSetting("PecunReadOnlyTest", "Settings", "UpdateUrl", "http://x/"));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC, &key), ERROR_SUCCESS);
    PSECURITY_DESCRIPTOR readOnly = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"D:P(A;;KR;;;WD)", SDDL_REVISION_1, &readOnly, nullptr));
    ASSERT_EQ(RegSetKeySecurity(
                  key, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, readOnly),
              ERROR_SUCCESS);
    LocalFree(readOnly);
    HKEY probe = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_SET_VALUE, &probe),
              ERROR_ACCESS_DENIED)
        << "the key can still be written: the test proves nothing";

    {
        tk::SettingsStore& s = store;
        s.BeginBatch("PecunReadOnlyTest", "Settings");
        EXPECT_EQ(s.ReadSetting("PecunReadOnlyTest", "Settings", "CN", "0"), "21");
        EXPECT_EQ(s.ReadSetting("PecunReadOnlyTest", "Settings", "UpdateUrl", ""), "http://x/");
        EXPECT_FALSE(s.WriteSetting("PecunReadOnlyTest", "Settings", "CN", "22"));
        EXPECT_EQ(s.ReadSetting("PecunReadOnlyTest", "Settings", "CN", "0"), "21");
        s.EndBatch();
    }
    EXPECT_EQ(store.ReadSetting("PecunReadOnlyTest", "Settings", "CN", "0"), "21");
    EXPECT_FALSE(store.WriteSetting("PecunReadOnlyTest", "Settings", "CN", "22"));

    PSECURITY_DESCRIPTOR open = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"D:(A;;KA;;;WD)", SDDL_REVISION_1, &open, nullptr));
    RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, open);
    LocalFree(open);
    RegCloseKey(key);
    EXPECT_TRUE(tk::win32::RegistrySettings::DeleteApp("PecunReadOnlyTest"));
}

}  // namespace
