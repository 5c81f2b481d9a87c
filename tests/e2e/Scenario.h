// What the scenarios share: the converter's main window as seen from outside, the store a
// first run writes, and a fixture that starts every test from an empty store and leaves no
// converter running behind it.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>

#include "Driver.h"
#include "frmMain.h"
#include "toolkit/win32/Win32.h"

namespace e2e {

// The control at position `id` of its form's table, in the window `form`.
inline HWND FormControl(HWND form, int id) {
    return Control(form, tk::win32::kControlIdBase + id);
}

// Control ids of the main window.
inline constexpr int kPicture1 = tk::win32::kControlIdBase + FrmMain::Picture1;
inline constexpr int kLblVal = tk::win32::kControlIdBase + FrmMain::lblVal;
inline constexpr int kLblCur = tk::win32::kControlIdBase + FrmMain::lblCur;
inline constexpr int kCmdCur0 = tk::win32::kControlIdBase + FrmMain::cmdCur0;
inline constexpr int kLblOp = tk::win32::kControlIdBase + FrmMain::lblOp;
inline constexpr wchar_t kFormClass[] = L"PecunForm";
inline constexpr wchar_t kTitle[] = L"Pecunor";

// Mnemonics of the menu bar: "&Options", "E&xit", "&Help".
inline constexpr char kMenuOptions = 'O';
inline constexpr char kMenuExit = 'X';
inline constexpr char kMenuHelp = 'H';

struct MainWindow {
    HWND form = nullptr;
    HWND value = nullptr;  // lblVal
    HWND code = nullptr;   // lblCur
    std::array<HWND, FrmMain::kCurrencyButtons> buttons{};
    HWND sign = nullptr;  // lblOp, the pending operation's sign
};

// The main window of `pid` once it is visible and its last control exists.
std::optional<MainWindow> WaitMainWindow(DWORD pid, Duration limit = kWait);

// The store that a first run writes: the default table, slots and flags.
Store DefaultStore();

// Names a parameterised test after its parameter's `name`.
template <class Param>
std::string ParamName(const ::testing::TestParamInfo<Param>& test) {
    return test.param.name;
}

inline constexpr wchar_t kOptionsTitle[] = L"Pecunor - Options";
inline constexpr wchar_t kUpdateTitle[] = L"Update";

// The update dialog's window and controls.
struct UpdateDialog {
    HWND form = nullptr;
    HWND status = nullptr;
    HWND ok = nullptr;
    HWND close = nullptr;
};

// The update dialog of `pid` once it is there with all its controls.
std::optional<UpdateDialog> WaitUpdateDialog(DWORD pid);

struct OptionsAndUpdate {
    HWND options = nullptr;
    UpdateDialog update;
};

// Opens the options dialog from the main window's menu, then the update dialog from it.
std::optional<OptionsAndUpdate> OpenUpdateFromOptions(const MainWindow& main, DWORD pid);

// Whether list box `list` holds a line reading `text`.
bool HasListLine(HWND list, const std::string& text);

// Whether `button` is drawn as its dialog's default button.
bool IsDefaultButton(HWND button);

// Texts of the static controls of a dialog (a message box's prompt among them).
std::string DialogTexts(HWND dialog);

class PecunTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the converter (by default the built one) and waits for its main window; fails
    // the test and returns nullopt when either does not happen.
    std::optional<MainWindow> Open(const std::string& arguments = "",
                                   const std::string& exe = PecunExe());
    // Starts the converter and returns at once.
    bool Start(const std::string& arguments = "", const std::string& exe = PecunExe());

    // Waits until the display shows `value` and the code label `code`.
    ::testing::AssertionResult ShowsState(const MainWindow& window, std::string_view value,
                                          std::string_view code);
    // Waits until the display shows the sign `sign` of a pending operation, or none when it
    // is empty (the sign's label hidden).
    ::testing::AssertionResult ShowsSign(const MainWindow& window, std::string_view sign);

    // Returns once the converter has handled every message posted to it before: posts a
    // clearing Esc and a digit and waits for the digit on the display. Changes the amount.
    ::testing::AssertionResult Barrier(const MainWindow& window);

    std::optional<Program> program;

private:
    int barriers_ = 0;
};

}  // namespace e2e
