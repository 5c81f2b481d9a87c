// A window's accessible object, read from outside as a screen reader reads it.
#pragma once

#include <string>

#include "Driver.h"
// Needs the types of windows.h, which Driver.h brings.
#include <oleacc.h>

namespace e2e {

// The accessible object of a window's client area, as a screen reader gets it.
class Accessible {
public:
    explicit Accessible(HWND window) {
        AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                   reinterpret_cast<void**>(&object_));
    }
    ~Accessible() {
        if (object_ != nullptr) object_->Release();
    }
    Accessible(const Accessible&) = delete;
    Accessible& operator=(const Accessible&) = delete;

    std::string Name() const { return Ask(&IAccessible::get_accName); }
    std::string Description() const { return Ask(&IAccessible::get_accDescription); }

private:
    std::string Ask(HRESULT (STDMETHODCALLTYPE IAccessible::*getter)(VARIANT, BSTR*)) const {
        if (object_ == nullptr) return "(no accessible object)";
        VARIANT self{};
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR text = nullptr;
        if (FAILED((object_->*getter)(self, &text)) || text == nullptr) return "(no answer)";
        const std::wstring wide(text, SysStringLen(text));
        SysFreeString(text);
        return Utf8(wide);
    }

    IAccessible* object_ = nullptr;
};

}  // namespace e2e
