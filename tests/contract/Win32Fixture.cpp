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

    void Resize(tk::Form& form, int width, int height) override {
        HWND hwnd = WindowOf(form);
        RECT outer{}, client{};
        GetWindowRect(hwnd, &outer);
        GetClientRect(hwnd, &client);
        const int w = outer.right - outer.left + Px(width) - client.right;
        const int h = outer.bottom - outer.top + Px(height) - client.bottom;
        SetWindowPos(hwnd, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    tk::TwipsRect Place(const tk::Form& form, int id) const override {
        HWND control = ControlOf(WindowOf(form), id);
        if (control == nullptr) return {};
        RECT r{};
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
        return {Twips(r.left), Twips(r.top), Twips(r.right - r.left), Twips(r.bottom - r.top)};
    }

private:
    static HWND WindowOf(const tk::Form& form) {
        return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(form.Peer().Handle()));
    }
    struct Search {
        int wanted;
        HWND found;
    };
    static BOOL CALLBACK MatchId(HWND child, LPARAM param) {
        auto* s = reinterpret_cast<Search*>(param);
        if (GetDlgCtrlID(child) != s->wanted) return TRUE;
        s->found = child;
        return FALSE;
    }
    // The control with id `id` anywhere inside `form`, containers included.
    static HWND ControlOf(HWND form, int id) {
        Search search{tk::win32::kControlIdBase + id, nullptr};
        EnumChildWindows(form, MatchId, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    int Px(int twips) const { return MulDiv(twips, platform_.windows.Dpi(), 1440); }
    int Twips(int px) const { return MulDiv(px, 1440, platform_.windows.Dpi()); }

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
