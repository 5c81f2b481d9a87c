// The one instance of a form: loaded on first use, destroyed when unloaded, created afresh
// by a later use. A form unloaded from inside one of its own handlers is kept until the
// peer's event dispatch has returned (RetireUnloaded), so that no handler runs on a freed
// object.
#pragma once

#include <memory>

#include "Form.h"

namespace tk {

// Every slot registers itself, so that a peer can find the slot of a form (SlotOf).
class FormSlotBase {
public:
    FormSlotBase();
    FormSlotBase(const FormSlotBase&) = delete;
    FormSlotBase& operator=(const FormSlotBase&) = delete;
    virtual ~FormSlotBase();

    bool Loaded() const { return form_ != nullptr; }
    // Creates the window hidden and runs Form_Load; does nothing if already loaded.
    Form& Load();
    // Loads if needed and makes it visible. A modal show returns when the form has been
    // unloaded or hidden.
    void Show(bool modal = false);
    // Runs Form_Unload and destroys the window; does nothing if not loaded.
    void Unload();
    // Destroys the window without running Form_Unload (the program is ending).
    void Discard();
    // The loaded form, or nullptr.
    Form* Get() const { return form_.get(); }

protected:
    virtual std::unique_ptr<Form> Create() const = 0;
    Form& Ensure() { return Loaded() ? *form_ : Load(); }

private:
    std::unique_ptr<Form> form_;
    bool unloading_ = false;
};

template <class T>
class FormSlot : public FormSlotBase {
public:
    // A use of a form that is not loaded loads it first.
    T& operator()() { return static_cast<T&>(Ensure()); }
    T* IfLoaded() const { return static_cast<T*>(Get()); }

protected:
    std::unique_ptr<Form> Create() const override { return std::make_unique<T>(); }
};

// Frees the forms unloaded since the last call; the peers call it between events.
void RetireUnloaded();

// Destroys every loaded form, the last made first, without running its Form_Unload, and
// frees it: the end of the program, and a test's fresh start.
void DiscardAll();

// The slot that holds `form`, or nullptr: a peer unloads a form through it (the close box).
FormSlotBase* SlotOf(const Form& form);

}  // namespace tk
