#include "Services.h"

#include <cstdio>
#include <exception>
#include <string>

namespace tk {
namespace {

ServiceSet& Current() {
    static ServiceSet services;
    return services;
}

Reporter& CurrentReporter() {
    static Reporter reporter;
    return reporter;
}

}  // namespace

Reporter InstallReporter(Reporter reporter) {
    Reporter previous = std::move(CurrentReporter());
    CurrentReporter() = std::move(reporter);
    return previous;
}

void Report(std::string_view what) {
    if (CurrentReporter()) {
        CurrentReporter()(what);
    } else {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(what.size()), what.data());
    }
}

void RunHandler(std::string_view what, const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        Report(std::string(what) + " threw: " + e.what());
    } catch (...) {
        Report(std::string(what) + " threw");
    }
}

ServiceSet Install(const ServiceSet& services) {
    ServiceSet previous = Current();
    Current() = services;
    return previous;
}

const ServiceSet& Services() { return Current(); }

MsgBoxResult MsgBox(std::string_view prompt, MsgBoxFlags flags, std::string_view title) {
    MessageBoxService* box = Services().msgbox;
    return box ? box->MsgBox(prompt, flags, title) : MsgBoxResult::None;
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

std::string AsciiUpperCase(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

std::string AsciiLowerCase(std::string_view text) {
    std::string key(text);
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return key;
}

std::string UpperCase(std::string_view text) {
    RegionalService* regional = Services().regional;
    return regional != nullptr ? regional->UpperCase(text) : AsciiUpperCase(text);
}

std::string SortKey(std::string_view text) {
    RegionalService* regional = Services().regional;
    return regional != nullptr ? regional->SortKey(text) : AsciiLowerCase(text);
}

}  // namespace tk
