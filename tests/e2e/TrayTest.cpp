// Minimising into the notification area and back, watched from outside: the window's
// visibility and state, and whether the shell knows an icon for it.
#include <string>

#include "Scenario.h"

namespace e2e {
namespace {

constexpr UINT kIconMessage = 512;  // the icon's callback message
constexpr LPARAM kLeftDown = 513;
constexpr LPARAM kLeftUp = 514;

Store StoreWithTray(bool minimizeToTray) {
    Store store = DefaultStore();
    store["MinimizeToTray"] = minimizeToTray ? "True" : "False";
    return store;
}

::testing::AssertionResult InState(HWND form, bool visible, bool minimized, bool icon) {
    if (WaitUntil([&] {
            return (IsWindowVisible(form) != FALSE) == visible &&
                   (IsIconic(form) != FALSE) == minimized && TrayIconExists(form) == icon;
        })) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "expected visible " << visible << ", minimised " << minimized << ", icon " << icon
           << "; it is visible " << (IsWindowVisible(form) != FALSE) << ", minimised "
           << (IsIconic(form) != FALSE) << ", icon " << TrayIconExists(form);
}

using TrayTest = PecunTest;

// The option stored as "True", or absent from a store with a table (its default is true).
class TrayOnTest : public PecunTest, public ::testing::WithParamInterface<bool> {};

TEST_P(TrayOnTest, MinimisesIntoTheNotificationAreaAndBack) {
    Store store = StoreWithTray(true);
    if (!GetParam()) store.erase("MinimizeToTray");
    ASSERT_TRUE(SeedStore(store));
    const std::optional<MainWindow> window = Open();
    ASSERT_TRUE(window);
    ASSERT_TRUE(InState(window->form, true, false, false));

    PostMessageW(window->form, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(InState(window->form, false, true, true)) << "after minimising";

    // Pressing the button on the icon does nothing.
    PostMessageW(window->form, kIconMessage, 1, kLeftDown);
    ASSERT_TRUE(Barrier(*window));
    EXPECT_TRUE(InState(window->form, false, true, true)) << "after the left button went down";

    PostMessageW(window->form, kIconMessage, 1, kLeftUp);
    EXPECT_TRUE(InState(window->form, true, false, false)) << "after the left button came up";
}

INSTANTIATE_TEST_SUITE_P(Tray, TrayOnTest, ::testing::Bool(), [](const auto& test) {
    return std::string(test.param ? "Stored" : "Default");
});

TEST_F(TrayTest, WithoutTheOptionMinimisesToTheTaskBar) {
    ASSERT_TRUE(SeedStore(StoreWithTray(false)));
    const std::optional<MainWindow> window = Open();
    ASSERT_TRUE(window);

    PostMessageW(window->form, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(Barrier(*window));
    EXPECT_TRUE(InState(window->form, true, true, false)) << "after minimising";

    PostMessageW(window->form, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(InState(window->form, true, false, false)) << "after restoring";
}

}  // namespace
}  // namespace e2e
