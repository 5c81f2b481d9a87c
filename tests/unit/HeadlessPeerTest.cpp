// The headless peer stands in for the user, so what the user would notice fails the test: a
// dialog the script left open, a handler that threw.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "frmOpt.h"
#include "frmUpdate.h"
#include "mdlData.h"
#include "toolkit/FormSlot.h"
#include "toolkit/headless/Headless.h"

namespace {

constexpr tk::ControlSpec kThrowerControls[] = {
    {.kind = tk::Kind::Button,
     .name = "cmdBoom",
     .caption = "Boom",
     .rect = {.left = 0, .top = 0, .width = 600, .height = 300},
     .tabOrder = 0},
};

class Thrower : public tk::Form {
public:
    static constexpr tk::FormSpec kSpec = {"frmThrower",     "Thrower", 1200, 600, 0,
                                           kThrowerControls, {}};
    const tk::FormSpec& Layout() const override { return kSpec; }
    void Click(int) override { throw std::runtime_error("boom"); }
};

tk::FormSlot<Thrower> frmThrower;

TEST(HeadlessPeerTest, AModalDialogLeftOpenFailsTheTest) {
    EXPECT_NONFATAL_FAILURE(
        {
            tk::headless::Platform ui;
            mdlData::RestoreDefaults();
            frmUpdate.Show(true);  // no scripted user closes it
            tk::DiscardAll();
        },
        "frmUpdate was shown modally and left open");
}

TEST(HeadlessPeerTest, AThrowingHandlerFailsTheTestAndTheProgramGoesOn) {
    EXPECT_NONFATAL_FAILURE(
        {
            tk::headless::Platform ui;
            ui.Click(frmThrower(), 0);
            EXPECT_TRUE(frmThrower.Loaded());
            frmThrower.Discard();
            tk::RetireUnloaded();
        },
        "a click handler threw: boom");
}

}  // namespace
