#include "FormSlot.h"

#include <vector>

#include "Services.h"

namespace tk {
namespace {

std::vector<std::unique_ptr<Form>>& Retired() {
    static std::vector<std::unique_ptr<Form>> retired;
    return retired;
}

std::vector<FormSlotBase*>& Slots() {
    static std::vector<FormSlotBase*> slots;
    return slots;
}

}  // namespace

FormSlotBase::FormSlotBase() { Slots().push_back(this); }

FormSlotBase::~FormSlotBase() { std::erase(Slots(), this); }

FormSlotBase* SlotOf(const Form& form) {
    for (FormSlotBase* slot : Slots()) {
        if (slot->Get() == &form) return slot;
    }
    return nullptr;
}

Form& FormSlotBase::Load() {
    if (form_) return *form_;
    form_ = Create();
    Form& form = *form_;
    form.AttachPeer(Services().windows->CreatePeer(form));
    form.Form_Load();
    return form;
}

void FormSlotBase::Show(bool modal) {
    Form& form = Ensure();
    form.Peer().SetVisible(true);
    if (!modal) return;
    Services().windows->RunModal(
        form, [this, &form] { return form_.get() != &form || !form.Peer().Visible(); });
}

void FormSlotBase::Unload() {
    if (!form_ || unloading_) return;
    Form* form = form_.get();
    unloading_ = true;
    form->Form_Unload();
    unloading_ = false;
    // Form_Unload may itself have unloaded this form.
    if (form_.get() != form) return;
    Discard();
}

void FormSlotBase::Discard() {
    if (!form_) return;
    form_->Peer().Destroy();
    Retired().push_back(std::move(form_));
}

void RetireUnloaded() { Retired().clear(); }

void DiscardAll() {
    const std::vector<FormSlotBase*> slots = Slots();
    for (auto it = slots.rbegin(); it != slots.rend(); ++it) (*it)->Discard();
    RetireUnloaded();
}

}  // namespace tk
