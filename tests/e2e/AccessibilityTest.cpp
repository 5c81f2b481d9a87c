// The converter as a screen reader and a mouse meet it: accessible names and descriptions read
// from this process through the system's accessibility API, the events the converter raises
// when its display changes, and the tips that hovering and the keyboard bring up.
#include <string>
#include <utility>
#include <vector>

#include "AccessibleObject.h"
#include "ProductTexts.h"
#include "Scenario.h"
#include "frmOpt.h"
// Need the types of windows.h, which Scenario.h brings.
#include <commctrl.h>
#include <oleacc.h>

namespace e2e {
namespace {

constexpr DWORD kLiveRegionChanged = 0x8019;  // EVENT_OBJECT_LIVEREGIONCHANGED
using product::kBuiltInRate;

// The events of one process about its objects' names, heard from outside as a screen reader
// hears them; they arrive while this thread handles its messages.
class NameEvents {
public:
    explicit NameEvents(DWORD pid) {
        heard_.clear();
        hook_ = SetWinEventHook(EVENT_OBJECT_NAMECHANGE, kLiveRegionChanged, nullptr, Heard, pid, 0,
                                WINEVENT_OUTOFCONTEXT);
    }
    ~NameEvents() {
        if (hook_ != nullptr) UnhookWinEvent(hook_);
    }
    NameEvents(const NameEvents&) = delete;
    NameEvents& operator=(const NameEvents&) = delete;
    bool ok() const { return hook_ != nullptr; }

    // Waits for `event` about the client area of `window`.
    bool WaitFor(DWORD event, HWND window) {
        return WaitUntil([&] {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            for (const auto& [e, hwnd] : heard_) {
                if (e == event && hwnd == window) return true;
            }
            return false;
        });
    }
    void Forget() { heard_.clear(); }

private:
    static void CALLBACK Heard(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child,
                               DWORD, DWORD) {
        if (object == OBJID_CLIENT && child == CHILDID_SELF) heard_.emplace_back(event, hwnd);
    }
    static inline std::vector<std::pair<DWORD, HWND>> heard_;
    HWINEVENTHOOK hook_ = nullptr;
};

// Waits for a tip of the program on screen reading `text`, and returns it; otherwise the
// texts of the tips on screen at the deadline.
std::string WaitTip(DWORD pid, const std::string& text) {
    std::string seen;
    const bool shown = WaitUntil([&] {
        seen.clear();
        for (HWND tip : TopWindows(pid, TOOLTIPS_CLASSW)) {
            if (!IsWindowVisible(tip)) continue;
            const std::string tipText = Text(tip);
            if (tipText == text) return true;
            seen += (seen.empty() ? "" : " | ") + tipText;
        }
        return false;
    });
    if (shown) return text;
    return seen.empty() ? "(no tip on screen)" : seen;
}

std::string Tip(const std::string& conversion, const std::string& rate) {
    return (conversion.empty() ? "" : conversion + "\r\n") + rate + "\r\n" + kBuiltInRate;
}

using AccessibilityTest = ScreenReaderTest;

TEST_F(AccessibilityTest, ButtonsDescribeTheirConversionAndTheDisplayIsAnnounced) {
    ASSERT_TRUE(SeedStore(DefaultStore()));
    const std::optional<MainWindow> main = Open();
    ASSERT_TRUE(main);
    const HWND display = Control(main->form, kPicture1);
    NameEvents events(program->Pid());
    ASSERT_TRUE(events.ok());

    ASSERT_TRUE(Type(main->form, "100"));
    ASSERT_TRUE(ShowsState(*main, "100.", ""));
    Click(main->buttons[0]);
    ASSERT_TRUE(ShowsState(*main, "100.", "EUR"));
    events.Forget();
    Click(main->buttons[2]);
    ASSERT_TRUE(ShowsState(*main, "11,600.", "JPY"));
    EXPECT_TRUE(events.WaitFor(EVENT_OBJECT_NAMECHANGE, display))
        << "expected the display's name-change event after the conversion";
    EXPECT_TRUE(events.WaitFor(kLiveRegionChanged, display))
        << "expected the display's live-region event after the conversion";
    EXPECT_EQ(Accessible(display).Name(), "11,600 JPY");

    // Default slots: EUR, USD, JPY, GBP, DEM, FRF, CHF, BEF.
    const std::pair<const char*, const char*> tips[FrmMain::kCurrencyButtons] = {
        {"11,600 JPY = 100 EUR", "1 EUR = 1.0000 EUR"},
        {"11,600 JPY = 106.13 USD", "1 EUR = 1.0613 USD"},
        {"11,600 JPY = 11,600 JPY", "1 EUR = 116.0000 JPY"},
        {"11,600 JPY = 65.93 GBP", "1 EUR = 0.6593 GBP"},
        {"11,600 JPY = 195.58 DEM", "1 EUR = 1.9558 DEM"},
        {"11,600 JPY = 655.96 FRF", "1 EUR = 6.5596 FRF"},
        {"11,600 JPY = 160.04 CHF", "1 EUR = 1.6004 CHF"},
        {"11,600 JPY = 4,033.99 BEF", "1 EUR = 40.3399 BEF"},
    };
    for (int i = 0; i < FrmMain::kCurrencyButtons; ++i) {
        EXPECT_EQ(Accessible(main->buttons[i]).Description(), Tip(tips[i].first, tips[i].second))
            << "button " << i;
        EXPECT_EQ(Accessible(main->buttons[i]).Name(), Text(main->buttons[i])) << "button " << i;
    }

    // A pending operation is read out with the display, and announced as a conversion is.
    events.Forget();
    ASSERT_TRUE(Type(main->form, "*3"));
    ASSERT_TRUE(ShowsState(*main, "3.", "JPY"));
    EXPECT_TRUE(events.WaitFor(kLiveRegionChanged, display))
        << "expected the display's live-region event after the operator";
    EXPECT_EQ(Accessible(display).Name(), "11,600 JPY times 3");

    // The options dialog's set buttons, boxes and list say what they are for; what they show
    // stays as it was.
    ASSERT_TRUE(ChooseMenu(main->form, kMenuOptions));
    const HWND dialog = WaitWindow(program->Pid(), kFormClass, kOptionsTitle);
    ASSERT_NE(dialog, nullptr) << "expected the options dialog after Alt+O";
    const auto control = [dialog](int id) { return FormControl(dialog, id); };
    ASSERT_TRUE(WaitUntil([&] { return control(FrmOpt::chkDlStartup) != nullptr; }));
    for (int k = 0; k < FrmOpt::kRows; ++k) {
        const std::string button = std::to_string(k + 1);
        EXPECT_EQ(Accessible(control(FrmOpt::cmdSet0 + k)).Name(),
                  k < FrmOpt::kBaseRow ? "Set button " + button + " to the selected currency"
                                       : "Set the base currency");
        EXPECT_EQ(Text(control(FrmOpt::cmdSet0 + k)), ">") << "set button " << k;
        EXPECT_EQ(Accessible(control(FrmOpt::txtCur0 + k)).Name(),
                  k < FrmOpt::kBaseRow ? "Button " + button + " currency" : "Base currency");
    }
    EXPECT_EQ(Accessible(control(FrmOpt::lstCur)).Name(), "Available currencies");
    EXPECT_EQ(Accessible(control(FrmOpt::cmdAdd)).Name(), "Add") << "a caption that says it";
}

TEST_F(AccessibilityTest, HoveringOrTabbingToAButtonShowsItsTip) {
    ASSERT_TRUE(SeedStore(DefaultStore()));
    const std::optional<MainWindow> main = Open();
    ASSERT_TRUE(main);
    ASSERT_TRUE(Type(main->form, "100"));
    ASSERT_TRUE(ShowsState(*main, "100.", ""));
    Click(main->buttons[0]);
    ASSERT_TRUE(ShowsState(*main, "100.", "EUR"));

    ASSERT_TRUE(MoveMouseOver(main->buttons[2]));
    EXPECT_EQ(WaitTip(program->Pid(), Tip("100 EUR = 11,600 JPY", "1 EUR = 116.0000 JPY")),
              Tip("100 EUR = 11,600 JPY", "1 EUR = 116.0000 JPY"))
        << "the tip of the JPY button under the mouse";

    // The keyboard: Tab from EUR to USD shows USD's tip below it; Space converts, and the tip
    // on screen follows.
    ASSERT_TRUE(MoveMouseOver(Control(main->form, kPicture1)));
    ASSERT_TRUE(Type(main->form, "\t"));
    EXPECT_EQ(WaitTip(program->Pid(), Tip("100 EUR = 106.13 USD", "1 EUR = 1.0613 USD")),
              Tip("100 EUR = 106.13 USD", "1 EUR = 1.0613 USD"))
        << "the tip of the button that the Tab key gave the focus";
    ASSERT_TRUE(Type(main->form, " "));
    ASSERT_TRUE(ShowsState(*main, "106.13", "USD"));
    EXPECT_EQ(WaitTip(program->Pid(), Tip("106.13 USD = 106.13 USD", "1 EUR = 1.0613 USD")),
              Tip("106.13 USD = 106.13 USD", "1 EUR = 1.0613 USD"))
        << "the focused button's tip after its conversion";
}

}  // namespace
}  // namespace e2e
