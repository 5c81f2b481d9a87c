// The options dialog and the currency editor of the running converter, opened from the
// main window's menu and driven through their buttons, list and keyboard.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "Scenario.h"
#include "frmEdit.h"
#include "frmOpt.h"

namespace e2e {
namespace {

// Today's local date as YYYY-MM-DD.
std::string TodayIsoDate() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char text[16] = {};
    std::snprintf(text, sizeof text, "%04u-%02u-%02u", static_cast<unsigned>(now.wYear),
                  static_cast<unsigned>(now.wMonth), static_cast<unsigned>(now.wDay));
    return text;
}

HWND OptionsControl(HWND dialog, int id) { return FormControl(dialog, id); }

std::vector<std::string> ListLines(HWND list) {
    std::vector<std::string> lines;
    const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const auto length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring text(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(std::max<LRESULT>(length, 0)));
        lines.push_back(Utf8(text));
    }
    return lines;
}

// Selects the line reading `text`, as a click on it would; false if there is none.
bool SelectLine(HWND list, const std::string& text) {
    const std::vector<std::string> lines = ListLines(list);
    const auto it = std::find(lines.begin(), lines.end(), text);
    if (it == lines.end()) return false;
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(it - lines.begin()), 0);
    return true;
}

bool HasLine(HWND list, const std::string& text) {
    const std::vector<std::string> lines = ListLines(list);
    return std::find(lines.begin(), lines.end(), text) != lines.end();
}

// The control that has the focus in the thread that owns `window`.
HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

bool Gone(HWND window) { return !IsWindow(window) || !IsWindowVisible(window); }

using OptionsTest = PecunTest;

TEST_F(OptionsTest, ManagesTheCurrenciesAndSavesOnClosing) {
    ASSERT_TRUE(SeedStore(DefaultStore()));
    const std::optional<MainWindow> main = Open();
    ASSERT_TRUE(main);

    ASSERT_TRUE(ChooseMenu(main->form, kMenuOptions));
    const HWND dialog = WaitWindow(program->Pid(), kFormClass, kOptionsTitle);
    ASSERT_NE(dialog, nullptr) << "expected the options dialog after Alt+O";
    const HWND list = OptionsControl(dialog, FrmOpt::lstCur);
    const HWND close = OptionsControl(dialog, FrmOpt::cmdOK);
    ASSERT_TRUE(WaitUntil([&] { return OptionsControl(dialog, FrmOpt::chkDlStartup) != nullptr; }));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(main->form); }))
        << "the main window takes input while the options dialog is open";
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(dialog) == close; }))
        << "expected the focus on Close when the dialog opens";

    const std::vector<std::string> lines = ListLines(list);
    EXPECT_EQ(lines.size(), 21u);
    EXPECT_TRUE(std::is_sorted(lines.begin(), lines.end()));
    EXPECT_TRUE(HasLine(list, "Belgian franc (BEF)"));
    EXPECT_EQ(Text(OptionsControl(dialog, FrmOpt::txtCur0 + FrmOpt::kBaseRow)),
              "European Union euro (EUR)");

    // A set button changes the main window's button while the dialog is open.
    ASSERT_TRUE(SelectLine(list, "Japanese yen (JPY)"));
    Click(OptionsControl(dialog, FrmOpt::cmdSet0 + 7));
    EXPECT_TRUE(WaitText(main->buttons[7], "JPY")) << "button 7 reads " << Text(main->buttons[7]);
    EXPECT_EQ(Text(OptionsControl(dialog, FrmOpt::txtCur0 + 7)), "Japanese yen (JPY)");

    // Add a currency through the editor, typing over the selected texts.
    Click(OptionsControl(dialog, FrmOpt::cmdAdd));
    const HWND editor = WaitWindow(program->Pid(), kFormClass, L"New currency");
    ASSERT_NE(editor, nullptr) << "expected the editor after Add";
    const HWND name = FormControl(editor, FrmEdit::txtName);
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(editor) == name; }))
        << "expected the focus in the name box";
    EXPECT_FALSE(IsWindowEnabled(dialog)) << "the options dialog takes input under the editor";
    ASSERT_TRUE(Type(editor, "Polish zloty\tpln\t4,5\r"));
    EXPECT_TRUE(WaitUntil([&] { return Gone(editor); })) << "Enter did not close the editor";
    EXPECT_TRUE(WaitUntil([&] { return HasLine(list, "Polish zloty (PLN)"); }))
        << "the new currency's line did not appear";

    // Delete it again.
    ASSERT_TRUE(SelectLine(list, "Polish zloty (PLN)"));
    Click(OptionsControl(dialog, FrmOpt::cmdDelete));
    EXPECT_TRUE(WaitUntil([&] { return ListLines(list).size() == 21u; }));
    EXPECT_FALSE(HasLine(list, "Polish zloty (PLN)"));

    // Esc closes the dialog, which saves everything.
    ASSERT_TRUE(Type(dialog, "\x1b"));
    EXPECT_TRUE(WaitUntil([&] { return Gone(dialog); })) << "Esc did not close the dialog";
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(main->form) != FALSE; }));
    Store expected = DefaultStore();
    expected["CN"] = "22";
    expected["RN"] = "22";
    expected["R21"] = "Hand " + TodayIsoDate();  // typed in the editor today
    expected["L21"] = "";
    expected["S21"] = "PLN";
    expected["V21"] = " 4.5";
    expected["U7"] = "13";
    EXPECT_TRUE(WaitUntil([&] { return ReadStore() == expected; }))
        << "the store after closing differs from the expected one";
}

}  // namespace
}  // namespace e2e
