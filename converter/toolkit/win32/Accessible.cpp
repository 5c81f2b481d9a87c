#include "Accessible.h"

#include <commctrl.h>
#include <oleacc.h>

#include <new>
#include <optional>
#include <string>
#include <unordered_map>

#include "FormWindow.h"
#include "LateBound.h"

namespace tk::win32 {
namespace {

constexpr DWORD kEventLiveRegionChanged = 0x8019;  // EVENT_OBJECT_LIVEREGIONCHANGED, Windows 8

// The window procedure each answering control had before, and the manager its proxy asks.
// Kept here rather than in a window property: a property is looked up through the Wine
// server at every message, which made filling a long list box cost seconds.
struct Subclass {
    WNDPROC original;
    const WindowManager* manager;
};
std::unordered_map<HWND, Subclass>& Subclasses() {
    static std::unordered_map<HWND, Subclass> subclasses;
    return subclasses;
}

using CreateStdFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
using LresultFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);

struct Oleacc {
    CreateStdFn createStd = nullptr;
    LresultFn lresultFromObject = nullptr;
    decltype(&SysAllocStringLen) allocString = nullptr;  // of OLE Automation
};

const Oleacc& Library() {
    static const Oleacc lib = [] {
        Oleacc l;
        if (HMODULE dll = LoadLibraryW(L"oleacc.dll")) {
            l.createStd = reinterpret_cast<CreateStdFn>(
                reinterpret_cast<void*>(GetProcAddress(dll, "CreateStdAccessibleObject")));
            l.lresultFromObject = reinterpret_cast<LresultFn>(
                reinterpret_cast<void*>(GetProcAddress(dll, "LresultFromObject")));
        }
        l.allocString =
            LateFunction<decltype(&SysAllocStringLen)>(L"oleaut32.dll", "SysAllocStringLen");
        return l;
    }();
    return lib;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The standard object of one control, with the name, description and role of its form window.
// It keeps only the control's handle (and the manager, which lives as long as the program's
// windows), so that it outlives the window harmlessly.
class AccessibleProxy final : public IAccessible {
public:
    AccessibleProxy(HWND control, const WindowManager& manager, IAccessible* inner)
        : control_(control), manager_(manager), inner_(inner) {}
    AccessibleProxy(const AccessibleProxy&) = delete;
    AccessibleProxy& operator=(const AccessibleProxy&) = delete;

    // IUnknown: the proxy is the object's IAccessible; other interfaces are the inner's.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (out == nullptr) return E_POINTER;
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IDispatch) ||
            riid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        return inner_->QueryInterface(riid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) {
            inner_->Release();
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    // The two answers of the form window.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        return Answer(child, out, FormWindow::Field::Name, &IAccessible::get_accName);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
        return Answer(child, out, FormWindow::Field::Description, &IAccessible::get_accDescription);
    }

    // Everything else as the standard object answers it.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        return inner_->GetTypeInfoCount(n);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT i, LCID lcid, ITypeInfo** info) override {
        return inner_->GetTypeInfo(i, lcid, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) override {
        return inner_->GetIDsOfNames(riid, names, count, lcid, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argError) override {
        return inner_->Invoke(id, riid, lcid, flags, params, result, exception, argError);
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override {
        return inner_->get_accParent(out);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* out) override {
        return inner_->get_accChildCount(out);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        return inner_->get_accChild(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
        return inner_->get_accValue(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        const long role = FormWindow::AccessibleRole(manager_, control_);
        if (out == nullptr || !IsSelf(child) || role == 0) return inner_->get_accRole(child, out);
        out->vt = VT_I4;
        out->lVal = role;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        return inner_->get_accState(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override {
        return inner_->get_accHelp(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return inner_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
        return inner_->get_accKeyboardShortcut(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
        return inner_->get_accFocus(out);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
        return inner_->get_accSelection(out);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
        return inner_->get_accDefaultAction(child, out);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return inner_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        return inner_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* out) override {
        return inner_->accNavigate(direction, start, out);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
        return inner_->accHitTest(x, y, out);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return inner_->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return inner_->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return inner_->put_accValue(child, value);
    }

private:
    using Getter = HRESULT (STDMETHODCALLTYPE IAccessible::*)(VARIANT, BSTR*);

    HRESULT Answer(VARIANT child, BSTR* out, FormWindow::Field field, Getter standard) {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (IsSelf(child)) {
            const std::optional<std::wstring> text =
                FormWindow::AccessibleText(manager_, control_, field);
            if (text) {
                *out = Library().allocString(text->data(), static_cast<UINT>(text->size()));
                return *out != nullptr ? S_OK : E_OUTOFMEMORY;
            }
        }
        return (inner_->*standard)(child, out);
    }

    LONG refs_ = 1;
    HWND control_;
    const WindowManager& manager_;
    IAccessible* inner_;
};

LRESULT ProxyAnswer(HWND control, const WindowManager& manager, WPARAM wParam) {
    const Oleacc& lib = Library();
    if (lib.createStd == nullptr || lib.lresultFromObject == nullptr ||
        lib.allocString == nullptr) {
        return 0;
    }
    // A screen reader's calls to the proxy then arrive through this thread's messages, between
    // the handlers, as everything else does.
    JoinComApartment();
    IAccessible* inner = nullptr;
    if (FAILED(lib.createStd(control, OBJID_CLIENT, __uuidof(IAccessible),
                             reinterpret_cast<void**>(&inner))) ||
        inner == nullptr) {
        return 0;
    }
    auto* proxy = new (std::nothrow) AccessibleProxy(control, manager, inner);
    if (proxy == nullptr) {
        inner->Release();
        return 0;
    }
    const LRESULT result = lib.lresultFromObject(__uuidof(IAccessible), wParam, proxy);
    proxy->Release();
    return result > 0 ? result : 0;
}

LRESULT CALLBACK AccessibilityProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const auto found = Subclasses().find(hwnd);
    if (found == Subclasses().end()) return DefWindowProcW(hwnd, msg, wParam, lParam);
    const Subclass subclass = found->second;
    if (msg == WM_GETOBJECT && static_cast<DWORD>(lParam) == static_cast<DWORD>(OBJID_CLIENT) &&
        FormWindow::HasAccessibleText(*subclass.manager, hwnd)) {
        if (const LRESULT answer = ProxyAnswer(hwnd, *subclass.manager, wParam)) return answer;
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(subclass.original));
        Subclasses().erase(hwnd);
    }
    return CallWindowProcW(subclass.original, hwnd, msg, wParam, lParam);
}

}  // namespace

void AnswerAccessibility(HWND control, const WindowManager& manager) {
    if (Subclasses().contains(control)) return;
    const auto original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AccessibilityProc)));
    if (original != nullptr) Subclasses()[control] = {original, &manager};
}

void AnnounceNameChange(HWND control) {
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, control, OBJID_CLIENT, CHILDID_SELF);
    NotifyWinEvent(kEventLiveRegionChanged, control, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace tk::win32
