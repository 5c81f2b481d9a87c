// A window's accessible object, read from outside as a screen reader reads it, and the
// fixture of the tests that read it.
#pragma once

#include <string>

#include "Scenario.h"
// Needs the types of windows.h, which Scenario.h brings.
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

// A test that reads accessible objects: this thread is in a COM apartment meanwhile.
class ScreenReaderTest : public PecunTest {
protected:
    void SetUp() override {
        PecunTest::SetUp();
        com_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    }
    void TearDown() override {
        PecunTest::TearDown();
        if (com_) CoUninitialize();
    }
    bool com_ = false;
};

}  // namespace e2e
