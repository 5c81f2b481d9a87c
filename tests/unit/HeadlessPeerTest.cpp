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

// The one button of the forms below, whose click runs `click`.
constexpr tk::ControlSpec BoomButton(tk::EventHandler click) {
    return {.kind = tk::Kind::Button,
            .name = "cmdBoom",
            .caption = "Boom",
            .rect = {.left = 0, .top = 0, .width = 600, .height = 300},
            .tabOrder = 0,
            .click = click};
}

class Thrower : public tk::Form {
public:
    static const tk::FormSpec kSpec;
    const tk::FormSpec& Layout() const override { return kSpec; }
    void cmdBoom_Click() { throw std::runtime_error("boom"); }
};
constexpr tk::ControlSpec kThrowerControls[] = {BoomButton(tk::Handler<&Thrower::cmdBoom_Click>)};
const tk::FormSpec Thrower::kSpec = {"frmThrower", "Thrower", 1200, 600, 0, kThrowerControls, {}};

// A form that notes when it is freed, and whose button shows the other one modally.
bool ownerFreed = false;
class Owner : public tk::Form {
public:
    static const tk::FormSpec kSpec;
    ~Owner() override { ownerFreed = true; }
    const tk::FormSpec& Layout() const override { return kSpec; }
    void cmdBoom_Click();
};
class Closer : public tk::Form {
public:
    static const tk::FormSpec kSpec;
    const tk::FormSpec& Layout() const override { return kSpec; }
    void cmdBoom_Click();
};
constexpr tk::ControlSpec kOwnerControls[] = {BoomButton(tk::Handler<&Owner::cmdBoom_Click>)};
constexpr tk::ControlSpec kCloserControls[] = {BoomButton(tk::Handler<&Closer::cmdBoom_Click>)};
const tk::FormSpec Owner::kSpec = {.name = "frmOwner",
                                   .caption = "Owner",
                                   .clientWidth = 1200,
                                   .clientHeight = 600,
                                   .controls = kOwnerControls};
const tk::FormSpec Closer::kSpec = {.name = "frmCloser",
                                    .caption = "Closer",
                                    .clientWidth = 1200,
                                    .clientHeight = 600,
                                    .controls = kCloserControls};
tk::FormSlot<Owner> frmOwner;
tk::FormSlot<Closer> frmCloser;
void Owner::cmdBoom_Click() {
    frmCloser.Show(true);
    EXPECT_FALSE(ownerFreed) << "the form was freed while its own handler ran";
}
// Unloads the owner whose handler is still running, then itself.
void Closer::cmdBoom_Click() {
    frmOwner.Unload();
    frmCloser.Unload();
}

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

// As on the Win32 peer, an unloaded form is freed only once no handler runs, also when a
// scripted user unloads it inside a modal loop that its own handler opened.
TEST(HeadlessPeerTest, AFormUnloadedDuringItsOwnHandlerLivesUntilTheHandlerReturns) {
    tk::headless::Platform ui;
    ownerFreed = false;
    ui.onModal = [&ui](tk::Form& closer) { ui.Click(closer, 0); };
    Owner& owner = frmOwner();
    ui.Click(owner, 0);
    EXPECT_FALSE(frmOwner.Loaded());
    EXPECT_TRUE(ownerFreed) << "expected the form freed after its handler";
    EXPECT_FALSE(frmCloser.Loaded());
    ui.onModal = nullptr;
    tk::DiscardAll();
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
