// The rates update, served a list from the input. The input holds up to four update lists,
// separated by NUL bytes, applied in turn to the built-in table with the options dialog
// loaded. A list may start with one byte below 0x08, its flags:
//   1  through the update dialog (fetch, apply, save, LastUpdate), else ApplyUpdateList
//   2  every store write fails during the update
//   4  the store write of "CN" fails during the update
// After each update: the slots, the base and the options list are consistent; a success
// leaves the table the simple rule of the update gives (worked out here entry by entry),
// a store that reloads to it and, through the dialog, today's date in LastUpdate; a failure
// leaves memory exactly as before, and the store too unless a write failed. (A full table
// is the unit tests' business: sorting 32,767 lines for every input would slow the search
// a hundredfold.)
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ProductTexts.h"
#include "Rates.h"
#include "Support.h"
#include "TextHelpers.h"
#include "UpdateList.h"
#include "frmOpt.h"
#include "frmUpdate.h"
#include "mdlData.h"

namespace {

constexpr std::string_view kSuccessText = product::kSuccessText;
constexpr std::string_view kFailureText = product::kFailureText;
constexpr std::size_t kMaxLists = 4;

enum : unsigned { kViaDialog = 1, kStoreFails = 2, kCountKeyFails = 4 };

struct Before {
    fuzz::DataState data;
    std::vector<tk::ListLine> lines;
    int selected;
    std::unordered_map<std::string, std::string> store;
};

Before Capture() {
    return {fuzz::CaptureData(), frmOpt().Lines(), frmOpt().SelectedLine(),
            fuzz::Ui().settings.values};
}

// Whether the table keeps `code` whole: one to three characters (UTF-8 code points) once
// its trailing blanks and CRs are gone.
bool KeepsWhole(std::string_view code) {
    while (!code.empty() && (code.back() == ' ' || code.back() == '\r')) code.remove_suffix(1);
    const auto characters =
        std::count_if(code.begin(), code.end(), [](char c) { return !IsUtf8Continuation(c); });
    return characters >= 1 && characters <= ShortCode::kLength;
}

// The update as its description puts it, slowly: a list with a rate not above zero or a
// code the table would cut is refused whole; else each record in turn, a code known to a
// live entry (the first whose three characters match without case) gets the rate; any
// other code takes the lowest entry without a name, else a new one at the end, and the list
// is refused when the table is full.
std::optional<std::vector<CurrencyEntry>> ExpectedTable(std::vector<CurrencyEntry> table,
                                                        const UpdateList& list) {
    for (const UpdateRecord& r : list.records) {
        if (r.rate <= Money() || !KeepsWhole(r.code)) return std::nullopt;
    }
    for (const UpdateRecord& r : list.records) {
        const std::string code = tk::AsciiLowerCase(r.code);
        auto known = std::find_if(table.begin(), table.end(), [&](const CurrencyEntry& e) {
            return !e.Name.empty() && tk::AsciiLowerCase(e.Short.str()) == code;
        });
        if (known != table.end()) {
            known->Value = r.rate;
            known->Origin = {};  // a list names no source
            continue;
        }
        auto free = std::find_if(table.begin(), table.end(),
                                 [](const CurrencyEntry& e) { return e.Name.empty(); });
        if (free == table.end()) {
            if (table.size() >= static_cast<std::size_t>(mdlData::kMaxCurrencies))
                return std::nullopt;
            free = table.emplace(table.end());
        }
        *free = CurrencyEntry{std::string(r.name), tk::AsciiUpperCase(r.code), r.rate};
    }
    return table;
}

void RunList(std::string_view text, unsigned flags, std::size_t number) {
    tk::headless::Platform& ui = fuzz::Ui();
    const std::string when =
        "list " + std::to_string(number) + " " + fuzz::Quote(text.substr(0, 200));
    const Before before = Capture();
    const std::optional<UpdateList> list = ReadUpdateList(text);
    std::optional<std::vector<CurrencyEntry>> expected;
    if (list) {
        expected = ExpectedTable(before.data.table, *list);
        // The header is the first line without the CR of a CR LF.
        std::string_view line = text.substr(0, text.find('\n'));
        if (line.ends_with('\r')) line.remove_suffix(1);
        FUZZ_CHECK(list->header == line, when + ": header read as " + fuzz::Quote(list->header));
    }

    const bool writesFail = (flags & kViaDialog) && (flags & (kStoreFails | kCountKeyFails));
    bool ok = false;
    if (flags & kViaDialog) {
        ui.httpBodies[std::string(rates::kCentralBankUrl)] = std::string(text);
        ui.settings.failWrites = (flags & kStoreFails) != 0;
        if (flags & kCountKeyFails) ui.settings.failKey = "CN";
        frmUpdate.Load();
        frmUpdate().cmdOK_Click();
        const std::string status = frmUpdate().Text(FrmUpdate::lblStatus);
        ok = status.starts_with(kSuccessText);
        FUZZ_CHECK(ok || status == kFailureText, when + ": status " + fuzz::Quote(status));
        if (ok) {
            FUZZ_CHECK(list && status.substr(kSuccessText.size()) == list->header,
                       when + ": status " + fuzz::Quote(status));
            // The time of the update is recorded, and reads back as today.
            const std::optional<tk::LocalTime> last = rates::LastUpdateDate();
            FUZZ_CHECK(last && *last == ui.now, when + ": LastUpdate does not read as today");
        }
        FUZZ_CHECK(!tk::headless::Platform::PeerOf(frmUpdate()).Enabled(FrmUpdate::cmdOK),
                   when + ": Update is still enabled");
        frmUpdate.Unload();
        tk::RetireUnloaded();
        ui.settings.failWrites = false;
        ui.settings.failKey.clear();
        ui.httpBodies.clear();
    } else {
        std::string header = "unset";
        std::optional<UpdateChanges> changes = ApplyUpdateList(text, header);
        ok = changes.has_value();
        if (changes) frmOpt().ShowEntries(std::move(changes->added));
        FUZZ_CHECK(ok ? list && header == list->header : header == "unset",
                   when + ": header " + fuzz::Quote(header));
    }

    FUZZ_CHECK(!ok || list, when + ": a text that does not read as a list was applied");
    if (expected) {
        FUZZ_CHECK(ok == !writesFail, when + (ok ? ": applied" : ": refused"));
    } else if (list) {
        FUZZ_CHECK(!ok, when + ": applied a list with a bad record, or to a full table");
    }

    fuzz::CheckIndices(when);
    fuzz::CheckOptionsList(when);
    if (!ok) {
        const fuzz::DataState after = fuzz::CaptureData();
        FUZZ_CHECK(fuzz::SameData(before.data, after),
                   when + ": failed and changed the data: " +
                       fuzz::TableDifference(before.data.table, after.table));
        FUZZ_CHECK(frmOpt().Lines() == before.lines && frmOpt().SelectedLine() == before.selected,
                   when + ": failed and changed the options list");
        if (!writesFail) {
            FUZZ_CHECK(ui.settings.values == before.store, when + ": failed and wrote the store");
        }
        return;
    }
    if (expected) {
        FUZZ_CHECK(fuzz::SameTable(*expected, mdlData::CurrencyTable),
                   when + ": " + fuzz::TableDifference(*expected, mdlData::CurrencyTable));
    }
    FUZZ_CHECK(
        mdlData::SelectedSlots == before.data.slots && mdlData::BaseCurrency == before.data.base,
        when + ": the slots or the base changed");
    // The dialog saved the table itself; the store alone must give it back.
    fuzz::CheckStoreReload(when, (flags & kViaDialog) == 0);
    fuzz::CheckOptionsList(when + ", reloaded");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    fuzz::ResetProgram();
    frmOpt.Load();
    for (std::size_t number = 1; number <= kMaxLists; ++number) {
        const std::size_t end = std::min(input.find('\0'), input.size());
        std::string_view text = input.substr(0, end);
        unsigned flags = 0;
        if (!text.empty() && static_cast<unsigned char>(text[0]) < 0x08) {
            flags = static_cast<unsigned char>(text[0]);
            text.remove_prefix(1);
        }
        RunList(text, flags, number);
        if (end == input.size()) break;
        input.remove_prefix(end + 1);
    }
    return 0;
}
