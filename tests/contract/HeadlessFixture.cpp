#include "PeerFixture.h"
#include "toolkit/headless/Headless.h"

namespace contract {
namespace {

class HeadlessFixture : public PeerFixture {
public:
    tk::SettingsStore& Settings() override { return platform_.settings; }
    std::string ScratchApp() const override { return "PecunContract"; }
    void WhileModal(std::function<void()> action) override {
        platform_.onModal = [this, action](tk::Form&) {
            // Clearing onModal destroys this lambda: only locals are used after it.
            std::function<void()> run = action;
            tk::headless::Platform& platform = platform_;
            platform.onModal = nullptr;
            run();
        };
    }
    bool TakesInput(const tk::Form& form) const override { return !platform_.Blocked(form); }
    void Resize(tk::Form& form, int width, int height) override {
        tk::headless::Platform::PeerOf(form).Resize(width, height);
    }
    tk::TwipsRect Place(const tk::Form& form, int id) const override {
        return tk::headless::Platform::PeerOf(form).controls.at(static_cast<std::size_t>(id)).rect;
    }

private:
    tk::headless::Platform platform_;
};

}  // namespace

std::unique_ptr<PeerFixture> MakePeerFixture() { return std::make_unique<HeadlessFixture>(); }

}  // namespace contract
