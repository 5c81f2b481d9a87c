#include "Scenario.h"

#include <iterator>

#include "DefaultCurrencies.h"
#include "frmOpt.h"
#include "frmUpdate.h"

namespace e2e {

namespace {


// The default rates as the store writes them: rounded to four decimals, a blank in front,
// no trailing zeros.
constexpr const char* kStoredValues[] = {
    " 1",      " 40.3399", " 1.9558",  " 166.386", " 6.5596", " 0.7876", " 1936.27",
    " 1.5852", " 2.2037",  " 13.7603", " 200.482", " 5.9457", " 1.0613", " 116",
    " 0.6593", " 7.4345",  " 326.3",   " 8.2775",  " 6.4347", " 8.701",  " 1.6004",
};
static_assert(std::size(kStoredValues) == std::size(kDefaultCurrencies));

constexpr const char* kDefaultSlots[] = {"0", "12", "13", "14", "2", "4", "20", "1"};

BOOL CALLBACK CollectStatic(HWND window, LPARAM data) {
    if (ClassName(window) == "Static") {
        auto* texts = reinterpret_cast<std::string*>(data);
        *texts += Text(window);
        *texts += '\n';
    }
    return TRUE;
}

}  // namespace

std::optional<MainWindow> WaitMainWindow(DWORD pid, Duration limit) {
    MainWindow window;
    const bool found = WaitUntil(
        [&] {
            window.form = nullptr;
            for (HWND form : TopWindows(pid, kFormClass, kTitle)) {
                const int lastButton = kCmdCur0 + FrmMain::kCurrencyButtons - 1;
                if (IsWindowVisible(form) && Control(form, lastButton) != nullptr) {
                    window.form = form;
                }
            }
            return window.form != nullptr;
        },
        limit);
    if (!found) return std::nullopt;
    window.value = Control(window.form, kLblVal);
    window.code = Control(window.form, kLblCur);
    for (int i = 0; i < FrmMain::kCurrencyButtons; ++i)
        window.buttons[i] = Control(window.form, kCmdCur0 + i);
    window.sign = Control(window.form, kLblOp);
    return window;
}

Store DefaultStore() {
    Store store{{"CN", "21"},
                {"BC", "0"},
                {"RN", "21"},
                {"MinimizeToTray", "False"},
                {"DownloadOnStartup", "False"}};
    for (std::size_t i = 0; i < std::size(kDefaultCurrencies); ++i) {
        const std::string n = std::to_string(i);
        store["L" + n] = kDefaultCurrencies[i].name;
        store["S" + n] = kDefaultCurrencies[i].code;
        store["V" + n] = kStoredValues[i];
        store["R" + n] = "Built-in";
    }
    for (std::size_t j = 0; j < std::size(kDefaultSlots); ++j) {
        store[std::string("U") + std::to_string(j)] = kDefaultSlots[j];
    }
    return store;
}

bool IsDefaultButton(HWND button) {
    const auto style = static_cast<DWORD>(GetWindowLongW(button, GWL_STYLE));
    return button != nullptr && (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

std::string DialogTexts(HWND dialog) {
    std::string texts;
    EnumChildWindows(dialog, CollectStatic, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

void PecunTest::SetUp() { DeleteStore(); }

void PecunTest::TearDown() {
    // Ends the converter if the test left it running, so that no window outlives its test,
    // and leaves no store behind for whatever runs next.
    program.reset();
    DeleteStore();
}

bool PecunTest::Start(const std::string& arguments, const std::string& exe) {
    program.reset();
    program = Program::Start(exe, arguments);
    return program.has_value();
}

std::optional<MainWindow> PecunTest::Open(const std::string& arguments, const std::string& exe) {
    if (!Start(arguments, exe)) {
        ADD_FAILURE() << "could not start " << exe << " (error " << GetLastError() << ")";
        return std::nullopt;
    }
    std::optional<MainWindow> window = WaitMainWindow(program->Pid());
    if (!window) {
        ADD_FAILURE() << "expected the main window of " << exe << " " << arguments << " within "
                      << kWait.count() << " ms; the program "
                      << (program->Running() ? "still runs without it" : "has ended");
    }
    return window;
}

::testing::AssertionResult PecunTest::ShowsState(const MainWindow& window, std::string_view value,
                                                 std::string_view code) {
    if (WaitUntil([&] { return Text(window.value) == value && Text(window.code) == code; })) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "expected the display \"" << value << "\" \"" << code << "\", it shows \""
           << Text(window.value) << "\" \"" << Text(window.code) << "\"";
}

::testing::AssertionResult PecunTest::ShowsSign(const MainWindow& window, std::string_view sign) {
    const auto shown = [&] { return IsWindowVisible(window.sign) ? Text(window.sign) : ""; };
    if (WaitUntil([&] { return shown() == sign; })) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "expected the sign \"" << sign << "\", it shows \"" << shown() << "\"";
}

::testing::AssertionResult PecunTest::Barrier(const MainWindow& window) {
    const char digit = static_cast<char>('1' + barriers_++ % 9);
    PostMessageW(window.form, WM_CHAR, 27, 0);
    PostMessageW(window.form, WM_CHAR, static_cast<WPARAM>(digit), 0);
    const std::string expected = std::string(1, digit) + ".";
    if (WaitText(window.value, expected)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "expected the posted keys Esc " << digit << " to show \"" << expected
           << "\"; the display shows \"" << Text(window.value) << "\"";
}

std::optional<UpdateDialog> WaitUpdateDialog(DWORD pid) {
    UpdateDialog d;
    d.form = WaitWindow(pid, kFormClass, kUpdateTitle);
    if (d.form == nullptr ||
        !WaitUntil([&] { return FormControl(d.form, FrmUpdate::cmdClose) != nullptr; })) {
        return std::nullopt;
    }
    d.status = FormControl(d.form, FrmUpdate::lblStatus);
    d.ok = FormControl(d.form, FrmUpdate::cmdOK);
    d.close = FormControl(d.form, FrmUpdate::cmdClose);
    return d;
}

std::optional<OptionsAndUpdate> OpenUpdateFromOptions(const MainWindow& main, DWORD pid) {
    OptionsAndUpdate d;
    if (!ChooseMenu(main.form, kMenuOptions)) return std::nullopt;
    d.options = WaitWindow(pid, kFormClass, kOptionsTitle);
    if (d.options == nullptr) return std::nullopt;
    const HWND button = FormControl(d.options, FrmOpt::cmdUpdate);
    if (!WaitUntil([&] { return FormControl(d.options, FrmOpt::chkDlStartup) != nullptr; }))
        return std::nullopt;
    Click(button);
    std::optional<UpdateDialog> update = WaitUpdateDialog(pid);
    if (!update) return std::nullopt;
    d.update = *update;
    return d;
}

bool HasListLine(HWND list, const std::string& text) {
    const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t line[256] = {};
        if (SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0) >= 256) continue;
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line));
        if (Utf8(line) == text) return true;
    }
    return false;
}

}  // namespace e2e
