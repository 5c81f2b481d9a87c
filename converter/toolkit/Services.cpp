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

void Beep() {
    if (SoundService* sound = Services().sound) sound->Beep();
}

}  // namespace tk
