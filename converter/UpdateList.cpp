#include "UpdateList.h"

#include <algorithm>
#include <unordered_map>

#include "RatesFeed.h"
#include "TextHelpers.h"
#include "frmOpt.h"
#include "mdlData.h"
#include "toolkit/Services.h"

namespace {

// The converter's names for the bank's currencies: the built-in table's, then the bank's own.
const feed::CurrencyNames& BuiltInNames() {
    static const feed::CurrencyNames names = [] {
        feed::CurrencyNames n;
        for (int i = 0; !mdlData::DefaultResource(300 + i).empty(); ++i) {
            n.Add(std::string(mdlData::DefaultResource(300 + i)),
                  std::string(mdlData::DefaultResource(200 + i)));
        }
        for (const feed::NamedCurrency& c : feed::PublishedCurrencies()) {
            n.Add(std::string(c.code), std::string(c.name));
        }
        return n;
    }();
    return names;
}

// The first live entry of each code, by the code in lower case.
using CodeIndex = std::unordered_map<std::string, std::int16_t>;

CodeIndex IndexLiveCodes(const std::vector<CurrencyEntry>& table, std::size_t more) {
    CodeIndex index;
    index.reserve(table.size() + more);
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (!table[i].Name.empty())
            index.try_emplace(tk::AsciiLowerCase(table[i].Short.str()),
                              static_cast<std::int16_t>(i));
    }
    return index;
}

// The free entries new codes take, lowest first, as mdlData::NewEntryIndex gives them; the
// search goes on from the last one taken, so that a whole list costs one pass of the table.
class FreeEntries {
public:
    // The lowest free entry, appended to the table if needed; nullopt when the table is full.
    std::optional<std::int16_t> Peek(std::vector<CurrencyEntry>& table) {
        const std::optional<std::int16_t> entry = mdlData::NewEntryIndex(table, from_);
        if (entry) from_ = static_cast<std::size_t>(*entry);
        return entry;
    }
    // The entry Peek gave was given a name: it is no longer free.
    void Take() { ++from_; }

private:
    std::size_t from_ = 0;
};

// What the options list goes through, in order: batches of added lines, and removals of the
// lines of an entry that a new currency takes over.
struct ListStep {
    std::vector<tk::ListLine> add;
    int removeEntry = -1;
};

// The whole update worked out on a copy of the table, before anything changes.
struct StagedUpdate {
    std::vector<CurrencyEntry> table;
    std::vector<ListStep> listSteps;
};

class Stager {
public:
    Stager(const std::vector<tk::ListLine>& lines, std::size_t records)
        : staged_{mdlData::CurrencyTable, {}},
          index_(IndexLiveCodes(staged_.table, records)),
          lined_(static_cast<std::size_t>(mdlData::kMaxCurrencies), false) {
        staged_.table.reserve(
            std::min<std::size_t>(staged_.table.size() + records, mdlData::kMaxCurrencies));
        for (const tk::ListLine& line : lines) {
            if (mdlData::IsIndex(line.data)) lined_[static_cast<std::size_t>(line.data)] = true;
        }
        staged_.listSteps.emplace_back();
    }

    bool Apply(const UpdateRecord& r) {
        if (auto found = index_.find(tk::AsciiLowerCase(r.code)); found != index_.end()) {
            staged_.table[static_cast<std::size_t>(found->second)].Value = r.rate;
            return true;
        }
        const std::optional<std::int16_t> slot = free_.Peek(staged_.table);
        if (!slot) return false;
        CurrencyEntry& e = staged_.table[static_cast<std::size_t>(*slot)];
        e.Name = std::string(r.name);
        e.Short = tk::AsciiUpperCase(r.code);
        e.Value = r.rate;
        ReplaceLine(*slot, e);
        if (!e.Name.empty()) {
            free_.Take();
            auto [it, added] = index_.try_emplace(tk::AsciiLowerCase(e.Short.str()), *slot);
            if (!added && *slot < it->second) it->second = *slot;
        }
        return true;
    }

    StagedUpdate Result() && { return std::move(staged_); }

private:
    // The entry's new line, after whatever line still carries it (its name was empty).
    void ReplaceLine(std::int16_t slot, const CurrencyEntry& e) {
        std::vector<tk::ListLine>& pending = staged_.listSteps.back().add;
        if (lined_[static_cast<std::size_t>(slot)]) {
            if (!pending.empty() && pending.back().data == slot) {
                // Added by this update's previous new code and never shown: it simply goes.
                pending.pop_back();
            } else {
                staged_.listSteps.back().removeEntry = slot;
                staged_.listSteps.emplace_back();
            }
        }
        staged_.listSteps.back().add.push_back({DisplayText(e), slot});
        lined_[static_cast<std::size_t>(slot)] = true;
    }

    StagedUpdate staged_;
    CodeIndex index_;
    FreeEntries free_;
    std::vector<bool> lined_;  // by table index: some line carries the entry
};

void RunListSteps(FrmOpt& options, std::vector<ListStep>& steps) {
    for (ListStep& step : steps) {
        options.AddLines(std::move(step.add));
        if (step.removeEntry >= 0) options.RemoveLinesOf(step.removeEntry);
    }
}

}  // namespace

std::optional<UpdateRecord> ReadListLine(std::string_view record) {
    const std::size_t tab1 = record.find('\t');
    if (tab1 == std::string_view::npos) return std::nullopt;
    const std::size_t tab2 = record.find('\t', tab1 + 1);
    if (tab2 == std::string_view::npos) return std::nullopt;
    const std::string_view rateText = record.substr(tab1 + 1, tab2 - tab1 - 1);
    // The field is the count itself: through a quotient by 10,000 some counts above 2^51
    // would come back one off.
    const Checked<Money> rate = MoneyFromCount(ParseLeadingNumber(rateText));
    if (!rate.ok()) return std::nullopt;
    return UpdateRecord{record.substr(0, tab1), rate.value, record.substr(tab2 + 1)};
}

namespace {

// Whether `text` holds three characters or more (UTF-8: a character is a byte that does not
// continue the one before).
bool ThreeCharactersOrMore(std::string_view text) {
    int characters = 0;
    for (const char c : text) {
        if (!IsUtf8Continuation(c) && ++characters == 3) return true;
    }
    return false;
}

}  // namespace

std::optional<UpdateList> ReadUpdateList(std::string_view text) {
    const std::size_t first = text.find('\n');
    if (first == std::string_view::npos) return std::nullopt;
    UpdateList list{text.substr(0, first), {}};
    std::string_view rest = text.substr(first + 1);
    while (ThreeCharactersOrMore(rest)) {
        const std::size_t end = rest.find('\n');
        if (end == std::string_view::npos) return std::nullopt;
        std::optional<UpdateRecord> record = ReadListLine(rest.substr(0, end));
        if (!record) return std::nullopt;
        list.records.push_back(*record);
        rest = rest.substr(end + 1);
    }
    return list;
}

bool ApplyUpdate(const UpdateList& list) {
    FrmOpt& options = frmOpt();
    Stager stager(options.Lines(), list.records.size());
    for (const UpdateRecord& record : list.records) {
        if (!stager.Apply(record)) return false;
    }
    StagedUpdate staged = std::move(stager).Result();
    mdlData::CurrencyTable = std::move(staged.table);
    RunListSteps(options, staged.listSteps);
    return true;
}

bool ApplyUpdateList(std::string_view text, std::string& header) {
    const std::optional<UpdateList> list = ReadUpdateList(text);
    if (!list || !ApplyUpdate(*list)) return false;
    header = std::string(list->header);
    return true;
}

std::optional<std::string> ListTextOf(std::string body) {
    tk::XmlReader* xml = tk::Services().xml;
    if (xml == nullptr) return body;
    feed::BodyReading reading = feed::ReadRatesBody(body, *xml, BuiltInNames());
    if (!reading.isRatesDocument) return body;
    if (!reading.list.ok) return std::nullopt;
    return std::move(reading.list.list);
}
