// What the contract tests need from the peer under test; one implementation per peer.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "toolkit/Form.h"
#include "toolkit/Services.h"

namespace contract {

class PeerFixture {
public:
    virtual ~PeerFixture() = default;
    // The settings store of this peer, and an application name whose keys the test may
    // write and remove.
    virtual tk::SettingsStore& Settings() = 0;
    virtual std::string ScratchApp() const = 0;
    // Runs `action` once, as the user would, while the next form is shown modally.
    virtual void WhileModal(std::function<void()> action) = 0;
    // Whether `form` takes input from the user now.
    virtual bool TakesInput(const tk::Form& form) const = 0;
    // The user resizes `form`, flagged kSizable, to a client area of width x height twips.
    virtual void Resize(tk::Form& form, int width, int height) = 0;
    // Where control `id` of `form` lies now, in twips of its parent's client area.
    virtual tk::TwipsRect Place(const tk::Form& form, int id) const = 0;
};

// Installs the peer's services until the fixture goes.
std::unique_ptr<PeerFixture> MakePeerFixture();

}  // namespace contract
