// How the rates update scales: apply and save lists of new currencies and of known codes on
// the headless peer with the in-memory store, and print the times and their ratio. Build it
// with optimisation and without sanitizers (the Release tree build/bench).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "frmOpt.h"
#include "Rates.h"
#include "UpdateList.h"
#include "frmUpdate.h"
#include "mdlData.h"
#include "toolkit/MemorySettings.h"
#include "toolkit/headless/Headless.h"

namespace {

// The n-th three-character code over digits and capitals that the default table does not use.
std::string NewCode(int& next) {
    static constexpr char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (;;) {
        const int n = next++;
        std::string code{kDigits[n / 1296 % 36], kDigits[n / 36 % 36], kDigits[n % 36]};
        const bool taken =
            std::any_of(mdlData::CurrencyTable.begin(), mdlData::CurrencyTable.end(),
                        [&](const CurrencyEntry& e) { return e.Short.str() == code; });
        if (!taken) return code;
    }
}

std::string NewCurrencyList(int count) {
    mdlData::RestoreDefaults();
    std::string list = "Bench list\n";
    int next = 0;
    for (int i = 0; i < count; ++i) {
        list += NewCode(next) + "\t" + std::to_string(10000 + i) + "\tCurrency " +
                std::to_string(i) + "\n";
    }
    return list;
}

// Every code of the table again, with new rates.
std::string KnownCodeList() {
    std::string list = "Bench list\n";
    for (std::size_t i = 0; i < mdlData::CurrencyTable.size(); ++i) {
        list += mdlData::CurrencyTable[i].Short.str() + "\t" + std::to_string(20000 + i) + "\tx\n";
    }
    return list;
}

// The best of a few runs of `work`, in milliseconds, each after `prepare`.
double BestMs(const std::function<void()>& prepare, const std::function<void()>& work) {
    double best = 1e300;
    for (int run = 0; run < 5; ++run) {
        prepare();
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

tk::headless::Platform* ui = nullptr;

// The store's log of writes, kept by the test store for tests, would only grow here.
void ForgetWrites() { ui->settings.writes.clear(); }

// The default table and a fresh options dialog, as the update dialog finds them.
void FreshDefaults() {
    ForgetWrites();
    frmOpt.Discard();
    tk::RetireUnloaded();
    mdlData::RestoreDefaults();
    frmOpt.Load();
}

// What the update dialog does with a list it fetched: the table, the options list, the save.
bool ApplyListAndSave(const std::string& text) {
    const std::optional<UpdateList> list = ReadUpdateList(text);
    std::optional<UpdateChanges> changes = list ? ApplyAndSave(*list) : std::nullopt;
    if (changes) frmOpt().ShowEntries(std::move(changes->added));
    return changes.has_value();
}

// The table and the options list, without the save.
bool ApplyList(const std::string& text) {
    std::string header;
    std::optional<UpdateChanges> changes = ApplyUpdateList(text, header);
    if (changes) frmOpt().ShowEntries(std::move(changes->added));
    return changes.has_value();
}

// What the store alone costs: as many writes as a save of the table makes, into a fresh
// in-memory store.
double RawStoreWritesMs(std::size_t entries) {
    std::vector<std::string> keys, texts;
    for (std::size_t i = 0; i < entries; ++i) {
        for (char letter : {'L', 'S', 'V'}) keys.push_back(letter + std::to_string(i));
        texts.push_back("Currency " + std::to_string(i));
        texts.push_back("ABC");
        texts.push_back(" 1.2345");
    }
    tk::MemorySettings store;
    return BestMs([&] { store = tk::MemorySettings{}; },
                  [&] {
                      for (std::size_t k = 0; k < keys.size(); ++k)
                          store.WriteSetting("Pecun", "Settings", keys[k], texts[k]);
                  });
}

}  // namespace

int main() {
    tk::headless::Platform platform;
    ui = &platform;
    bool ok = true;
    const std::string small = NewCurrencyList(1000);
    const std::string large = NewCurrencyList(32746);

    const double smallMs = BestMs(FreshDefaults, [&] { ok = ApplyListAndSave(small) && ok; });
    const double largeMs = BestMs(FreshDefaults, [&] { ok = ApplyListAndSave(large) && ok; });
    const double applyMs = BestMs(FreshDefaults, [&] { ok = ApplyList(large) && ok; });
    const double saveMs = BestMs(ForgetWrites, [&] { ok = mdlData::SaveSettings() && ok; });
    const double rawMs = RawStoreWritesMs(mdlData::CurrencyTable.size());

    FreshDefaults();
    ok = ApplyListAndSave(large) && ok;
    const std::string known = KnownCodeList();
    const double knownMs = BestMs(ForgetWrites, [&] { ok = ApplyListAndSave(known) && ok; });
    const double loadMs = BestMs([] {}, [] { mdlData::LoadSettings(); });
    const double optionsMs = BestMs([] { frmOpt.Discard(); }, [] { frmOpt.Load(); });
    frmOpt.Discard();
    tk::RetireUnloaded();

    std::printf("apply and save, 1,000 new currencies:               %8.2f ms\n", smallMs);
    std::printf(
        "apply and save, 32,746 new currencies:              %8.2f ms  (goal: under 50 ms)\n",
        largeMs);
    std::printf("  of which applying the list:                       %8.2f ms\n", applyMs);
    std::printf("  of which saving the table:                        %8.2f ms\n", saveMs);
    std::printf("  the same number of bare writes into the store:    %8.2f ms\n", rawMs);
    std::printf("apply and save, 32,767 known codes, full table:     %8.2f ms\n", knownMs);
    std::printf(
        "ratio 32,746 / 1,000 new currencies:                %8.1f     (goal: at most 40)\n",
        largeMs / smallMs);
    std::printf("load the settings of a full table:                  %8.2f ms\n", loadMs);
    std::printf("load the options dialog with a full table:          %8.2f ms\n", optionsMs);
    if (!ok) std::printf("an update or a save FAILED: the figures are not valid\n");
    return ok ? 0 : 1;
}
