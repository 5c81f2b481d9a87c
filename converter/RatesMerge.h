// The update list made of both banks' answers: the ECB's euro reference rates and the NBP's
// tables A and B, one rate per currency, in the list format RatesFeed writes.
//
// Each currency's rate is the ECB's when its file came and lists the currency, otherwise the
// NBP's as units per euro (nbp::AnswerOf). PLN is thus the ECB's when the ECB answered, else
// table A's euro mid. Without the ECB's file the tables give every currency they hold;
// without the NBP's tables the list is the ECB's alone, byte for byte UpdateListOf's.
//
// The list: the header, the euro, the ECB's currencies in its order, then table A's and table
// B's that the ECB did not give, in their order, then the euro's former national currencies
// that none carries (AppendFormerCurrencies). Names are ListName's. The header names each
// source that gave rates, the ECB's first, with "; " between:
//   ECB euro reference rates of 2024-12-11
//   NBP tables 242/A/NBP/2024 and 050/B/NBP/2024 of 2024-12-11     (both of one day)
//   NBP tables 241/A/NBP/2024 of 2024-12-10 and 050/B/NBP/2024 of 2024-12-11
//   NBP table 242/A/NBP/2024 of 2024-12-11                         (table A alone)
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "NbpTables.h"
#include "RatesFeed.h"
#include "toolkit/Xml.h"

namespace feed {

// What came of the fetches: nullptr for one that brought nothing.
struct BankAnswers {
    const ParsedRates* ecb = nullptr;
    const nbp::Reading* tableA = nullptr;
    const nbp::Reading* tableB = nullptr;
};

struct RecordSource {
    std::string code;
    RateSource source;
    bool operator==(const RecordSource&) const = default;
};

struct MergedList {
    bool ok = false;
    std::string list;                   // the update list, when ok
    std::vector<RecordSource> sources;  // when ok: one per record of `list`, in its order
    std::string error;                  // when !ok: what each source given lacked
    // Why a source that was given adds nothing, whether or not the list was made; empty when
    // it gave rates or was not given. The ECB's is UpdateListOf's error.
    std::string ecbError;
    std::string tableAError;
    std::string tableBError;
};

// The list of what answered. Fails, with no list, when no source gives a rate, or when the
// euro's name holds a control character. A table with a record whose name holds one adds
// nothing (and table B then nothing either, as without table A).
MergedList MergeRates(const BankAnswers& answers, const CurrencyNames& names);

// The fetched documents, each read through `reader` (ParseRatesXml, nbp::ReadTables); an
// absent one was not fetched.
struct BankDocuments {
    std::optional<std::string_view> ecb;
    std::optional<std::string_view> tableA;
    std::optional<std::string_view> tableB;
};
MergedList MergeDocuments(const BankDocuments& documents, tk::XmlReader& reader,
                          const CurrencyNames& names);

}  // namespace feed
