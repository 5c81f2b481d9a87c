#include "Support.h"

#include <cstdio>
#include <cstdlib>

#include "frmEdit.h"
#include "frmMain.h"
#include "frmOpt.h"
#include "frmUpdate.h"
#include "mdlData.h"

namespace fuzz {

void Fail(const std::string& what) {
    std::fprintf(stderr, "\n==== PECUN FUZZ FINDING ====\n%s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

tk::headless::Platform& Ui() {
    static tk::headless::Platform* ui = [] {
        // A handler that threw, or a modal dialog left open, is a finding too.
        tk::InstallReporter([](std::string_view what) { Fail("the peer reported: " + std::string(what)); });
        return new tk::headless::Platform;
    }();
    return *ui;
}

void ResetProgram() {
    tk::headless::Platform& ui = Ui();
    tk::DiscardAll();

    ui.onModal = nullptr;
    ui.settings.values.clear();
    ui.settings.writes.clear();
    ui.settings.failWrites = false;
    ui.settings.failKey.clear();
    ui.answers.clear();
    ui.defaultAnswer = tk::MsgBoxResult::No;
    ui.msgboxes.clear();
    ui.clipboard.clear();
    ui.clipboardHasText = false;
    ui.beeps = 0;
    ui.separators = {".", ","};
    ui.shellCalls.clear();
    ui.notifyMessages.clear();
    ui.icons.clear();
    ui.commandLine.clear();
    ui.httpBodies.clear();
    ui.shortDatePattern = "M/d/yyyy";
    ui.modalForms.clear();

    mdlData::MinimizeToTray = false;
    mdlData::DownloadOnStartup = false;
    mdlData::RestoreDefaults();
    ui.settings.writes.clear();
}

DataState CaptureData() {
    return {mdlData::CurrencyTable, mdlData::SelectedSlots, mdlData::BaseCurrency,
            mdlData::MinimizeToTray, mdlData::DownloadOnStartup};
}

namespace {

bool SameEntry(const CurrencyEntry& a, const CurrencyEntry& b) {
    return a.Name == b.Name && a.Short == b.Short && a.Value == b.Value && a.Origin == b.Origin;
}

}  // namespace

bool SameTable(const std::vector<CurrencyEntry>& a, const std::vector<CurrencyEntry>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!SameEntry(a[i], b[i])) return false;
    }
    return true;
}

bool SameData(const DataState& a, const DataState& b) {
    return SameTable(a.table, b.table) && a.slots == b.slots && a.base == b.base &&
           a.minimizeToTray == b.minimizeToTray && a.downloadOnStartup == b.downloadOnStartup;
}

std::string TableDifference(const std::vector<CurrencyEntry>& expected,
                            const std::vector<CurrencyEntry>& actual) {
    if (expected.size() != actual.size()) {
        return "expected " + std::to_string(expected.size()) + " entries, found " +
               std::to_string(actual.size());
    }
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (!SameEntry(expected[i], actual[i])) {
            return "entry " + std::to_string(i) + ": expected " + Describe(expected[i]) +
                   ", found " + Describe(actual[i]);
        }
    }
    return "the tables are the same";
}

void CheckIndices(const std::string& when) {
    FUZZ_CHECK(mdlData::CurrencyCount() > 0 &&
                   mdlData::CurrencyTable.size() <= static_cast<std::size_t>(mdlData::kMaxCurrencies),
               when + ": a table of " + std::to_string(mdlData::CurrencyTable.size()));
    for (std::size_t j = 0; j < mdlData::SelectedSlots.size(); ++j) {
        FUZZ_CHECK(mdlData::IsIndex(mdlData::SelectedSlots[j]),
                   when + ": slot " + std::to_string(j) + " holds " +
                       std::to_string(mdlData::SelectedSlots[j]) + " in a table of " +
                       std::to_string(mdlData::CurrencyCount()));
    }
    FUZZ_CHECK(mdlData::IsIndex(mdlData::BaseCurrency),
               when + ": the base currency is " + std::to_string(mdlData::BaseCurrency) +
                   " in a table of " + std::to_string(mdlData::CurrencyCount()));
}

void CheckOptionsList(const std::string& when) {
    FrmOpt* options = frmOpt.IfLoaded();
    FUZZ_CHECK(options != nullptr, when + ": the options dialog is not loaded");
    const std::vector<tk::ListLine> lines = options->Lines();
    std::vector<int> count(mdlData::CurrencyTable.size(), 0);
    for (std::size_t pos = 0; pos < lines.size(); ++pos) {
        const tk::ListLine& line = lines[pos];
        FUZZ_CHECK(mdlData::IsIndex(line.data), when + ": line " + std::to_string(pos) + " " +
                                                    Quote(line.text) + " carries " +
                                                    std::to_string(line.data));
        const CurrencyEntry& e = mdlData::CurrencyTable[static_cast<std::size_t>(line.data)];
        FUZZ_CHECK(line.text == DisplayText(e), when + ": line " + std::to_string(pos) + " " +
                                                     Quote(line.text) + " carries entry " +
                                                     std::to_string(line.data) + ", " +
                                                     Describe(e));
        ++count[static_cast<std::size_t>(line.data)];
    }
    for (std::size_t i = 0; i < count.size(); ++i) {
        const CurrencyEntry& e = mdlData::CurrencyTable[i];
        FUZZ_CHECK(count[i] <= 1, when + ": entry " + std::to_string(i) + " " + Describe(e) +
                                      " has " + std::to_string(count[i]) + " lines");
        FUZZ_CHECK(e.Name.empty() || count[i] == 1,
                   when + ": entry " + std::to_string(i) + " " + Describe(e) + " has no line");
    }
    const int selected = options->SelectedLine();
    FUZZ_CHECK(selected >= -1 && selected < static_cast<int>(lines.size()),
               when + ": line " + std::to_string(selected) + " selected of " +
                   std::to_string(lines.size()));
}

void CheckStoreReload(const std::string& when, bool saveFirst) {
    tk::headless::Platform& ui = Ui();
    const bool failWrites = ui.settings.failWrites;
    const std::string failKey = ui.settings.failKey;
    ui.settings.failWrites = false;
    ui.settings.failKey.clear();
    if (saveFirst) FUZZ_CHECK(mdlData::SaveSettings(), when + ": the save failed");

    const DataState saved = CaptureData();
    // Whatever memory holds must not leak into what is read.
    mdlData::CurrencyTable.assign(3, CurrencyEntry{"Stale", "STL", Money::Whole(7)});
    mdlData::SelectedSlots.fill(2);
    mdlData::BaseCurrency = 1;
    const bool firstRun = mdlData::ReadSettings();
    const DataState loaded = CaptureData();
    ui.settings.writes.clear();

    FUZZ_CHECK(!firstRun, when + ": the reload took the saved store for a first run");
    FUZZ_CHECK(SameTable(saved.table, loaded.table),
               when + ": the table read back differs: " + TableDifference(saved.table, loaded.table));
    FUZZ_CHECK(saved.slots == loaded.slots, when + ": the slots read back differ");
    FUZZ_CHECK(saved.base == loaded.base, when + ": the base currency read back differs: " +
                                              std::to_string(saved.base) + " saved, " +
                                              std::to_string(loaded.base) + " read");
    FUZZ_CHECK(saved.minimizeToTray == loaded.minimizeToTray &&
                   saved.downloadOnStartup == loaded.downloadOnStartup,
               when + ": the options read back differ");
    ui.settings.failWrites = failWrites;
    ui.settings.failKey = failKey;
}

std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u >= 0x20 && u < 0x7F) {
            out += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", u);
            out += hex;
        }
    }
    return out + "\"";
}

std::string Describe(const CurrencyEntry& e) {
    return "{" + Quote(e.Name) + ", " + Quote(e.Short.str()) + ", " +
           std::to_string(e.Value.Raw()) + ", " + Quote(mdlData::OriginStoreText(e.Origin)) + "}";
}

std::string Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\\' || i + 1 == text.size()) {
            out += c;
            continue;
        }
        const char e = text[++i];
        switch (e) {
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case '0': out += '\0'; break;
            case 'x': {
                auto hex = [](char h) -> int {
                    if (h >= '0' && h <= '9') return h - '0';
                    if (h >= 'a' && h <= 'f') return h - 'a' + 10;
                    if (h >= 'A' && h <= 'F') return h - 'A' + 10;
                    return -1;
                };
                const int hi = i + 1 < text.size() ? hex(text[i + 1]) : -1;
                const int lo = i + 2 < text.size() ? hex(text[i + 2]) : -1;
                if (hi < 0 || lo < 0) {
                    out += "\\x";
                } else {
                    out += static_cast<char>(hi * 16 + lo);
                    i += 2;
                }
                break;
            }
            default:
                out += e;  // \\ and any other escaped byte: the byte itself
                break;
        }
    }
    return out;
}

}  // namespace fuzz
