// The main window's layout in pixels at two screen resolutions, against the form's own
// table in twips.
#include <string>

#include "Scenario.h"
#include "frmMain.h"

namespace e2e {
namespace {

std::string Describe(const RECT& r) {
    return std::string("(") + std::to_string(r.left) + std::string(", ") + std::to_string(r.top) +
           ", " + std::to_string(r.right) + std::string(", ") + std::to_string(r.bottom) + ")";
}

RECT Expected(const tk::TwipsRect& twips, int dpi) {
    return {MulDiv(twips.left, dpi, 1440), MulDiv(twips.top, dpi, 1440),
            MulDiv(twips.left + twips.width, dpi, 1440),
            MulDiv(twips.top + twips.height, dpi, 1440)};
}

// The control's rectangle in the client coordinates of `parent`.
RECT PlacedIn(HWND control, HWND parent) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class LayoutTest : public PecunTest, public ::testing::WithParamInterface<int> {};

TEST_P(LayoutTest, EveryEdgeIsItsTwipsScaled) {
    const int dpi = GetParam();
    // A process reads the resolution when it starts, so the converter started next sees it.
    RegistryOverride logPixels(L"Control Panel\\Desktop", L"LogPixels", static_cast<DWORD>(dpi));
    ASSERT_TRUE(logPixels.ok());
    ASSERT_TRUE(SeedStore(DefaultStore()));
    const std::optional<MainWindow> window = Open();
    ASSERT_TRUE(window);

    const tk::FormSpec& layout = FrmMain::kSpec;
    RECT client{};
    GetClientRect(window->form, &client);
    const RECT expectedClient = Expected({0, 0, layout.clientWidth, layout.clientHeight}, dpi);
    EXPECT_EQ(Describe(client), Describe(expectedClient)) << "client area";

    for (std::size_t i = 0; i < layout.controls.size(); ++i) {
        const tk::ControlSpec& c = layout.controls[i];
        const std::string name =
            std::string(c.name) + (c.index >= 0 ? std::to_string(c.index) : "");
        HWND control = FormControl(window->form, static_cast<int>(i));
        ASSERT_NE(control, nullptr) << "no control at " << i << " (" << name << ")";
        HWND parent = c.parent < 0 ? window->form : FormControl(window->form, c.parent);
        ASSERT_NE(parent, nullptr) << "no container for " << name;
        EXPECT_EQ(GetParent(control), parent) << name << " lies in the wrong window";
        EXPECT_EQ(Describe(PlacedIn(control, parent)), Describe(Expected(c.rect, dpi))) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(MainWindow, LayoutTest, ::testing::Values(96, 144),
                         [](const auto& test) { return std::to_string(test.param) + "Dpi"; });

}  // namespace
}  // namespace e2e
