#include "Services.h"

namespace tk {
namespace {

ServiceSet& Current() {
    static ServiceSet services;
    return services;
}

}  // namespace

ServiceSet Install(const ServiceSet& services) {
    ServiceSet previous = Current();
    Current() = services;
    return previous;
}

const ServiceSet& Services() { return Current(); }

int MsgBox(std::string_view prompt, int flags, std::string_view title) {
    MessageBoxService* box = Services().msgbox;
    return box ? box->MsgBox(prompt, flags, title) : 0;
}

SettingsBatch::SettingsBatch(std::string_view app, std::string_view section)
    : store_(Services().settings) {
    if (store_) store_->BeginBatch(app, section);
}

SettingsBatch::~SettingsBatch() {
    if (store_) store_->EndBatch();
}

void Beep() {
    if (SoundService* sound = Services().sound) sound->Beep();
}

}  // namespace tk
