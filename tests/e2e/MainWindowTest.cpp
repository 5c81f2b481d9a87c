// The main window driven through the keyboard, its buttons, the clipboard and its menu.
#include <set>
#include <string>
#include <vector>

#include "LoopbackServer.h"
#include "ProductTexts.h"
#include "Scenario.h"

namespace e2e {
namespace {

// One user action and the display it must lead to.
struct Step {
    enum Kind { Keys, Keypad, Button, Copy, Cut, Paste } kind;
    std::string input;      // Keys, Keypad: the keys; Paste: the clipboard text; Copy, Cut: the
                            // copied text
    int slot = -1;          // Button: the button pressed
    std::string value;      // lblVal afterwards
    std::string code;       // lblCur afterwards
    std::string sign = {};  // the pending operation's sign afterwards
};

struct Scenario {
    const char* name;
    const wchar_t* decimal;  // the user's separators while the converter runs
    const wchar_t* thousands;
    std::vector<Step> steps;
    Store store = {};  // laid over the default store
};

void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

// Default table: slot 0 EUR, 4 DEM, 7 BEF.
const Scenario kScenarios[] = {
    {"ConvertsThroughTheButtons",
     L".",
     L",",
     {
         {Step::Keys, "100", -1, "100.", ""},
         {Step::Button, "", 0, "100.", "EUR"},
         {Step::Button, "", 7, "4,033.99", "BEF"},
         // Pressing the current currency again keeps the amount; the copy (typed, so
         // handled after the posted click) shows it exactly.
         {Step::Button, "", 7, "4,033.99", "BEF"},
         {Step::Copy, "4033.99", -1, "4,033.99", "BEF"},
         {Step::Button, "", 4, "195.58", "DEM"},
         {Step::Keys, "\x1b", -1, "0.", ""},
     }},
    {"ConvertsWithSwappedSeparators",
     L",",
     L".",
     {
         {Step::Keys, "100", -1, "100,", ""},
         {Step::Button, "", 0, "100,", "EUR"},
         {Step::Button, "", 7, "4.033,99", "BEF"},
         {Step::Copy, "4033,99", -1, "4.033,99", "BEF"},
         {Step::Button, "", 4, "195,58", "DEM"},
         {Step::Keys, "12.5", -1, "12,5", ""},
     }},
    {"CopiesTheAmountNotTheDisplay",
     L".",
     L",",
     {
         {Step::Keys, "100", -1, "100.", ""},
         {Step::Button, "", 0, "100.", "EUR"},
         {Step::Button, "", 7, "4,033.99", "BEF"},
         {Step::Copy, "4033.99", -1, "4,033.99", "BEF"},
         {Step::Keys,
          "\x1b"
          "12.50",
          -1, "12.50", ""},
         {Step::Copy, "12.5", -1, "12.50", ""},
         // Ctrl+X copies too, and leaves the amount where it is.
         {Step::Cut, "12.5", -1, "12.50", ""},
         {Step::Keys, "\b", -1, "12.5", ""},
     }},
    {"PastesASignedAmount",
     L".",
     L",",
     {
         {Step::Keys, "7", -1, "7.", ""},
         {Step::Paste, "-5", -1, "-5.", ""},
         {Step::Keys, "\x1b", -1, "0.", ""},
     }},
    // The refused digit shows only through the Backspace after it: had it been taken,
    // Backspace would bring back 123,456,789.
    {"RefusesADigitPastTheLimit",
     L".",
     L",",
     {
         {Step::Keys, "123456789", -1, "123,456,789.", ""},
         {Step::Keys, "0\b", -1, "12,345,678.", ""},
         {Step::Keys,
          "\x1b"
          "100000000",
          -1, "100,000,000.", ""},
         {Step::Keys, "5", -1, "1,000,000,005.", ""},
         {Step::Keys, "5\b", -1, "100,000,000.", ""},
     }},
    // The sample's rate of the dollar (USD is slot 1). "%" is no key of the calculator: had
    // it done anything, "=" would not give 119.
    {"Calculates",
     L".",
     L",",
     {
         {Step::Keys, "19.99*3", -1, "3.", "", "\u00d7"},
         {Step::Keys, "=", -1, "59.97", "", ""},
         {Step::Button, "", 0, "59.97", "EUR"},
         {Step::Button, "", 1, "67.55", "USD"},
         {Step::Keys,
          "\x1b"
          "100+19%",
          -1, "19.", "", "+"},
         {Step::Keys, "=", -1, "119.", "", ""},
         {Step::Keys, "*2", -1, "2.", "", "\u00d7"},
         {Step::Copy, "2", -1, "2.", "", "\u00d7"},
     },
     {{"V12", " 1.1264"}}},
    // Enter applies a pending operation and presses no button; with none pending it presses
    // the focused button, EUR's, which has the focus from the start.
    {"CalculatesOnTheKeypad",
     L".",
     L",",
     {
         {Step::Keys, "12.5", -1, "12.5", ""},
         {Step::Keypad, "*", -1, "12.5", "", "\u00d7"},
         {Step::Keys, "2", -1, "2.", "", "\u00d7"},
         {Step::Keypad, "\r", -1, "25.", "", ""},
         {Step::Keypad, "/", -1, "25.", "", "\u00f7"},
         {Step::Keys, "4", -1, "4.", "", "\u00f7"},
         {Step::Keypad, "-", -1, "6.25", "", "-"},
         {Step::Keys, ".25", -1, "0.25", "", "-"},
         {Step::Keypad, "+", -1, "6.", "", "+"},
         {Step::Keys, "1", -1, "1.", "", "+"},
         {Step::Keypad, "\r", -1, "7.", "", ""},
         {Step::Keypad, "\r", -1, "7.", "EUR", ""},
     }},
};

class TypingTest : public PecunTest, public ::testing::WithParamInterface<Scenario> {};

TEST_P(TypingTest, Runs) {
    const Scenario& scenario = GetParam();
    RegistryOverride decimal(L"Control Panel\\International", L"sDecimal", scenario.decimal);
    RegistryOverride thousands(L"Control Panel\\International", L"sThousand", scenario.thousands);
    ASSERT_TRUE(decimal.ok() && thousands.ok()) << "could not set the regional separators";
    Store store = DefaultStore();
    for (const auto& [key, value] : scenario.store) store[key] = value;
    ASSERT_TRUE(SeedStore(store));
    const std::optional<MainWindow> window = Open();
    ASSERT_TRUE(window);
    ASSERT_TRUE(ShowsState(*window, scenario.decimal == std::wstring(L".") ? "0." : "0,", ""));

    for (std::size_t i = 0; i < scenario.steps.size(); ++i) {
        const Step& step = scenario.steps[i];
        SCOPED_TRACE(std::string("step ") + std::to_string(i) + " (" + step.input + ")");
        switch (step.kind) {
            case Step::Keys:
                ASSERT_TRUE(Type(window->form, step.input)) << "could not type the keys";
                break;
            case Step::Keypad:
                ASSERT_TRUE(TypeKeypad(window->form, step.input)) << "could not type the keys";
                break;
            case Step::Button:
                Click(window->buttons[static_cast<std::size_t>(step.slot)]);
                break;
            case Step::Paste:
                ASSERT_TRUE(SetClipboardText(step.input));
                ASSERT_TRUE(TypeCtrl(window->form, 'V'));
                break;
            case Step::Copy:
            case Step::Cut: {
                ASSERT_TRUE(SetClipboardText("(not copied)"));
                ASSERT_TRUE(TypeCtrl(window->form, step.kind == Step::Copy ? 'C' : 'X'));
                const bool copied =
                    WaitUntil([&] { return ClipboardText() == std::optional(step.input); });
                EXPECT_TRUE(copied)
                    << "expected \"" << step.input << "\" on the clipboard, it holds \""
                    << ClipboardText().value_or("(no text)") << "\"";
                break;
            }
        }
        ASSERT_TRUE(ShowsState(*window, step.value, step.code));
        ASSERT_TRUE(ShowsSign(*window, step.sign));
    }
}

INSTANTIATE_TEST_SUITE_P(MainWindow, TypingTest, ::testing::ValuesIn(kScenarios),
                         ParamName<Scenario>);

using FirstRunTest = PecunTest;

// An empty store and one whose count is 0 both count as a first run.
TEST_F(FirstRunTest, AsksOnceThenWritesTheDefaultStore) {
    for (const Store& before : {Store{}, Store{{"CN", "0"}}}) {
        SCOPED_TRACE(before.empty() ? "empty store" : "store with CN 0");
        DeleteStore();
        if (!before.empty()) {
            ASSERT_TRUE(SeedStore(before));
        }
        ASSERT_TRUE(Start());

        // Answer every question until the main window shows; exactly one must come.
        std::set<HWND> answered;
        std::optional<MainWindow> window;
        const bool shown = WaitUntil([&] {
            for (HWND box : TopWindows(program->Pid(), L"#32770", kTitle)) {
                if (!IsWindowVisible(box) || !answered.insert(box).second) continue;
                EXPECT_NE(DialogTexts(box).find(product::kFirstRunQuestion), std::string::npos)
                    << "expected the question \"" << product::kFirstRunQuestion
                    << "\", the box says \"" << DialogTexts(box) << "\"";
                EXPECT_TRUE(Control(box, IDYES) && Control(box, IDNO) && !Control(box, IDOK) &&
                            !Control(box, IDCANCEL))
                    << "expected the buttons Yes and No";
                EXPECT_TRUE(IsDefaultButton(Control(box, IDYES)))
                    << "expected Yes as the default button";
                Click(Control(box, IDNO));
            }
            window = WaitMainWindow(program->Pid(), 0ms);
            return window.has_value();
        });
        ASSERT_TRUE(shown) << "expected the main window after the question";
        EXPECT_EQ(answered.size(), 1u) << "expected the download question once";

        EXPECT_EQ(ReadStore(), DefaultStore());
        EXPECT_TRUE(ExtraStoreKeys().empty()) << "unexpected: " << ExtraStoreKeys().front();
        const char* captions[] = {"EUR", "USD", "JPY", "GBP", "DEM", "FRF", "CHF", "BEF"};
        for (int i = 0; i < FrmMain::kCurrencyButtons; ++i) {
            EXPECT_EQ(Text(window->buttons[static_cast<std::size_t>(i)]), captions[i])
                << "caption of button " << i;
        }
        EXPECT_TRUE(ShowsState(*window, "0.", ""));
        program.reset();
    }
}

// How the program is ended, and that ending it writes nothing.
struct Ending {
    const char* name;
    bool menu;  // Exit from the menu bar; otherwise the close box
};

void PrintTo(const Ending& ending, std::ostream* out) { *out << ending.name; }

class EndingTest : public PecunTest, public ::testing::WithParamInterface<Ending> {};

TEST_P(EndingTest, EndsTheProgram) {
    ASSERT_TRUE(SeedStore(DefaultStore()));
    const std::optional<MainWindow> window = Open();
    ASSERT_TRUE(window);
    if (GetParam().menu) {
        ASSERT_TRUE(ChooseMenu(window->form, kMenuExit)) << "the main window has no Exit menu";
    } else {
        PostMessageW(window->form, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    ASSERT_TRUE(program->WaitExit()) << "expected the program to end";
    EXPECT_EQ(program->ExitCode(), 0u) << "expected a normal end";
    EXPECT_EQ(ReadStore(), DefaultStore()) << "closing the main window saves nothing";
}

INSTANTIATE_TEST_SUITE_P(MainWindow, EndingTest,
                         ::testing::Values(Ending{"Exit", true}, Ending{"CloseBox", false}),
                         ParamName<Ending>);

// Only the argument "/update" exactly runs the silent update.
struct CommandLine {
    const char* name;
    const char* arguments;
    bool silent;
};

void PrintTo(const CommandLine& line, std::ostream* out) { *out << '"' << line.arguments << '"'; }

class CommandLineTest : public PecunTest, public ::testing::WithParamInterface<CommandLine> {};

TEST_P(CommandLineTest, OpensTheMainWindowUnlessSilent) {
    // The silent update reaches no bank outside this machine.
    Store seeded = DefaultStore();
    const std::string closed = "http://127.0.0.1:" + std::to_string(ClosedLoopbackPort()) + "/";
    seeded["FallbackUrl"] = closed;
    seeded["NbpUrl"] = closed;
    ASSERT_TRUE(SeedStore(seeded));
    if (!GetParam().silent) {
        ASSERT_TRUE(Open(GetParam().arguments));
        return;
    }
    ASSERT_TRUE(Start(GetParam().arguments));
    std::string shown;
    const bool ended = WaitUntil(
        [&] {
            for (HWND window : TopWindows(program->Pid())) {
                if (IsWindowVisible(window))
                    shown = ClassName(window) + " \"" + Text(window) + "\"";
            }
            return !program->Running();
        },
        60s);
    ASSERT_TRUE(ended) << "expected the silent update to end the program";
    EXPECT_EQ(program->ExitCode(), 0u) << "expected a normal end";
    EXPECT_EQ(shown, "") << "expected no visible window during the silent update";
}

INSTANTIATE_TEST_SUITE_P(MainWindow, CommandLineTest,
                         ::testing::Values(CommandLine{"Update", "/update", true},
                                           CommandLine{"UpperCase", "/UPDATE", false},
                                           CommandLine{"TrailingWord", "/update x", false},
                                           CommandLine{"TrailingBlank", "/update ", false}),
                         ParamName<CommandLine>);

}  // namespace
}  // namespace e2e
