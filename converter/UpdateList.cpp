#include "UpdateList.h"

#include <algorithm>
#include <unordered_map>

#include "TextHelpers.h"
#include "mdlData.h"
#include "toolkit/Services.h"

namespace {

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

// The whole update worked out on a copy of the table, before anything changes.
class Stager {
public:
    explicit Stager(std::size_t records)
        : table_(mdlData::CurrencyTable), index_(IndexLiveCodes(table_, records)) {
        table_.reserve(std::min<std::size_t>(table_.size() + records, mdlData::kMaxCurrencies));
    }

    bool Apply(const UpdateRecord& r, const RateOrigin& origin) {
        if (auto found = index_.find(tk::AsciiLowerCase(r.code)); found != index_.end()) {
            CurrencyEntry& known = table_[static_cast<std::size_t>(found->second)];
            known.Value = r.rate;
            known.Origin = origin;
            changes_.updated.push_back(found->second);
            return true;
        }
        const std::optional<std::int16_t> slot = free_.Peek(table_);
        if (!slot) return false;
        CurrencyEntry& e = table_[static_cast<std::size_t>(*slot)];
        e.Name = std::string(r.name);
        e.Short = tk::AsciiUpperCase(r.code);
        e.Value = r.rate;
        e.Origin = origin;
        // A new code without a name leaves its entry free: the next new code takes it over,
        // and its line with it.
        std::vector<tk::ListLine>& added = changes_.added;
        if (!added.empty() && added.back().data == *slot) added.pop_back();
        added.push_back({DisplayText(e), *slot});
        if (!e.Name.empty()) {
            free_.Take();
            auto [it, fresh] = index_.try_emplace(tk::AsciiLowerCase(e.Short.str()), *slot);
            if (!fresh && *slot < it->second) it->second = *slot;
        }
        return true;
    }

    // Puts the staged table in place and hands over what changed.
    UpdateChanges Commit() && {
        mdlData::CurrencyTable = std::move(table_);
        return std::move(changes_);
    }

private:
    std::vector<CurrencyEntry> table_;
    CodeIndex index_;
    FreeEntries free_;
    UpdateChanges changes_;
};

}  // namespace

namespace {

// Trailing characters a code may carry beyond its own: the blanks of a padded code and the CR
// of a line ended by CR LF.
constexpr std::string_view kCodeTrail = " \r";

// Whether the table can keep `code` without cutting it: one to ShortCode::kLength characters
// once its trailing blanks and CRs are removed.
bool FitsShortCode(std::string_view code) {
    int characters = 0;
    for (const char c : code.substr(0, code.find_last_not_of(kCodeTrail) + 1)) {
        if (!IsUtf8Continuation(c) && ++characters > ShortCode::kLength) return false;
    }
    return characters > 0;  // bytes that only continue a character are none
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
    if (!rate.ok() || rate.value <= Money()) return std::nullopt;
    const std::string_view code = record.substr(0, tab1);
    if (!FitsShortCode(code)) return std::nullopt;
    return UpdateRecord{code, rate.value, record.substr(tab2 + 1)};
}

namespace {

// Whether `text` holds a code's length of characters or more (UTF-8: a character is a byte
// that does not continue the one before).
bool CodeLengthOrMore(std::string_view text) {
    int characters = 0;
    for (const char c : text) {
        if (!IsUtf8Continuation(c) && ++characters == ShortCode::kLength) return true;
    }
    return false;
}

}  // namespace

std::optional<UpdateList> ReadUpdateList(std::string_view text) {
    if (text.find('\0') != std::string_view::npos) return std::nullopt;
    const std::size_t first = text.find('\n');
    if (first == std::string_view::npos) return std::nullopt;
    std::string_view header = text.substr(0, first);
    if (header.ends_with('\r')) header.remove_suffix(1);
    UpdateList list{header, {}};
    std::string_view rest = text.substr(first + 1);
    while (CodeLengthOrMore(rest)) {
        const std::size_t end = rest.find('\n');
        if (end == std::string_view::npos) return std::nullopt;
        std::optional<UpdateRecord> record = ReadListLine(rest.substr(0, end));
        if (!record) return std::nullopt;
        list.records.push_back(*record);
        rest = rest.substr(end + 1);
    }
    return list;
}

std::optional<UpdateChanges> ApplyUpdate(const UpdateList& list,
                                         std::span<const RateOrigin> origins) {
    if (!origins.empty() && origins.size() != list.records.size()) return std::nullopt;
    const RateOrigin unknown;
    Stager stager(list.records.size());
    for (std::size_t k = 0; k < list.records.size(); ++k) {
        if (!stager.Apply(list.records[k], origins.empty() ? unknown : origins[k])) {
            return std::nullopt;
        }
    }
    return std::move(stager).Commit();
}

std::optional<UpdateChanges> ApplyAndSave(const UpdateList& list,
                                          std::span<const RateOrigin> origins) {
    std::vector<CurrencyEntry> oldTable = mdlData::CurrencyTable;
    std::optional<UpdateChanges> changes = ApplyUpdate(list, origins);
    if (!changes || mdlData::SaveSettings()) return changes;
    mdlData::CurrencyTable = std::move(oldTable);
    mdlData::SaveSettings();
    return std::nullopt;
}

std::optional<UpdateChanges> ApplyUpdateList(std::string_view text, std::string& header) {
    const std::optional<UpdateList> list = ReadUpdateList(text);
    if (!list) return std::nullopt;
    std::optional<UpdateChanges> changes = ApplyUpdate(*list);
    if (changes) header = std::string(list->header);
    return changes;
}
