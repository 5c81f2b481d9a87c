#include <windows.h>

#include "PeerFixture.h"
#include "toolkit/win32/Win32.h"

namespace contract {
namespace {

constexpr tk::ProgramIdentity kIdentity{.title = "Contract test", .classPrefix = "ContractTest"};

std::function<void()>& PendingAction() {
    static std::function<void()> action;
    return action;
}

class Win32Fixture : public PeerFixture {
public:
    Win32Fixture() : platform_(GetModuleHandleW(nullptr), kIdentity) {
        tk::win32::RegistrySettings::DeleteApp(ScratchApp());
    }
    ~Win32Fixture() override {
        if (timer_) KillTimer(nullptr, timer_);
        PendingAction() = nullptr;
        tk::win32::RegistrySettings::DeleteApp(ScratchApp());
    }

    tk::SettingsStore& Settings() override { return platform_.settings; }
    std::string ScratchApp() const override { return "PecunContractTest"; }

    // A timer fires inside the modal loop, as a click from the user would arrive there.
    void WhileModal(std::function<void()> action) override {
        PendingAction() = std::move(action);
        timer_ = SetTimer(nullptr, 0, 10, OnTimer);
    }

    bool TakesInput(const tk::Form& form) const override {
        auto hwnd = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(form.Peer().Handle()));
        return IsWindow(hwnd) && IsWindowEnabled(hwnd);
    }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        auto action = std::move(PendingAction());
        PendingAction() = nullptr;
        if (action) action();
    }

    tk::win32::Platform platform_;
    UINT_PTR timer_ = 0;
};

}  // namespace

std::unique_ptr<PeerFixture> MakePeerFixture() { return std::make_unique<Win32Fixture>(); }

}  // namespace contract
