// Start-up over a settings store that anything may have written. The input is the store,
// one key a line as KEY=TEXT (escapes as in Support.h, so that a text can hold any byte);
// three lines are no keys:
//   ?=ANSWERS   the answers to the questions asked, Y for yes, in turn (default no)
//   !=BODY      what the ECB's address answers (none: it cannot be reached)
//   #=PATTERN   the user's short date form
// Start-up loads the store, answering the first-run question, with the start-up update
// connected. Afterwards every index is inside the table, "LastUpdate" reads as a valid date
// or none, and the data saved and loaded again is the same.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Support.h"
#include "frmOpt.h"
#include "Rates.h"
#include "UpdateList.h"
#include "frmUpdate.h"
#include "mdlData.h"
#include "toolkit/headless/DateText.h"

namespace {

void BuildStore(std::string_view input) {
    tk::headless::Platform& ui = fuzz::Ui();
    ui.settings.values.clear();
    while (!input.empty()) {
        const std::size_t end = std::min(input.find('\n'), input.size());
        const std::string_view line = input.substr(0, end);
        input.remove_prefix(std::min(end + 1, input.size()));
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string key = fuzz::Unescape(line.substr(0, eq));
        std::string text = fuzz::Unescape(line.substr(eq + 1));
        if (key == "?") {
            for (const char c : text)
                ui.answers.push_back(c == 'Y' ? tk::MsgBoxResult::Yes : tk::MsgBoxResult::No);
        } else if (key == "!") {
            ui.httpBodies[std::string(rates::kCentralBankUrl)] = std::move(text);
        } else if (key == "#") {
            ui.shortDatePattern = std::move(text);
        } else {
            ui.settings.values[tk::MemorySettings::Path("Pecun", "Settings", key)] = std::move(text);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ResetProgram();
    tk::headless::Platform& ui = fuzz::Ui();
    BuildStore(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string when = "start-up";

    mdlData::LoadSettings();
    ui.settings.writes.clear();
    fuzz::CheckIndices(when);
    if (frmOpt.IfLoaded() != nullptr) fuzz::CheckOptionsList(when);

    // The date of the last update as the update dialog reads and shows it, in whichever
    // form the store holds it.
    if (const std::optional<tk::LocalTime> last = rates::LastUpdateDate()) {
        FUZZ_CHECK(tk::IsValidDate({last->year, last->month, last->day}),
                   "LastUpdate read as " + std::to_string(last->year) + "-" +
                       std::to_string(last->month) + "-" + std::to_string(last->day));
        ui.ShortDate(last->year, last->month, last->day);
    }

    fuzz::CheckStoreReload(when);
    fuzz::CheckIndices(when + ", reloaded");
    return 0;
}
