#include "RatesMerge.h"

#include <algorithm>
#include <set>

namespace feed {

namespace {

constexpr std::string_view kPartSeparator = "; ";

struct TableRecords {
    std::vector<ListRecord> records;
    std::string error;  // a name that cannot be written; no records then
};

// An answered table's currencies that `given` does not hold yet, named.
TableRecords RecordsOf(const nbp::AnsweredTable& table, const std::set<std::string>& given,
                       const CurrencyNames& names) {
    TableRecords result;
    const RateSource source{RateSourceKind::Nbp, table.effectiveDate, table.number};
    for (const nbp::CrossRateOf& r : table.rates) {
        if (given.count(r.code) != 0) continue;
        NamedRecord named = MakeNamedRecord(r.code, r.rate, source, names);
        if (!named.record) return {{}, std::move(named.error)};
        result.records.push_back(std::move(*named.record));
    }
    return result;
}

std::string NbpHeader(const nbp::AnsweredTable& a, const nbp::AnsweredTable* b) {
    if (b == nullptr) return "NBP table " + a.number + " of " + a.effectiveDate;
    if (a.effectiveDate == b->effectiveDate) {
        return "NBP tables " + a.number + " and " + b->number + " of " + a.effectiveDate;
    }
    return "NBP tables " + a.number + " of " + a.effectiveDate + " and " + b->number + " of " +
           b->effectiveDate;
}

std::string Joined(std::initializer_list<const std::string*> parts) {
    std::string joined;
    for (const std::string* part : parts) {
        if (part->empty()) continue;
        if (!joined.empty()) joined.append(kPartSeparator);
        joined.append(*part);
    }
    return joined;
}

std::set<std::string> CodesOf(const std::vector<ListRecord>& records) {
    std::set<std::string> codes;
    for (const ListRecord& r : records) codes.insert(r.code);
    return codes;
}

void AppendAll(std::vector<ListRecord>& to, std::vector<ListRecord>&& from) {
    std::move(from.begin(), from.end(), std::back_inserter(to));
}

}  // namespace

MergedList MergeRates(const BankAnswers& answers, const CurrencyNames& names) {
    MergedList merged;
    EcbRecords ecb;
    if (answers.ecb != nullptr) {
        ecb = EcbRecordsOf(*answers.ecb, names);
        merged.ecbError = ecb.error;
    }
    nbp::Answer nbp = nbp::AnswerOf(answers.tableA, answers.tableB);
    merged.tableAError = nbp.aError;
    merged.tableBError = nbp.bError;

    std::vector<ListRecord> records = std::move(ecb.records);
    if (!ecb.ok) {
        NamedRecord euro = EuroRecord(names);
        if (!euro.record) {
            merged.error = euro.error;
            return merged;
        }
        records.push_back(std::move(*euro.record));
    }
    const std::set<std::string> given = CodesOf(records);
    TableRecords fromA, fromB;
    if (nbp.a) {
        fromA = RecordsOf(*nbp.a, given, names);
        if (!fromA.error.empty()) {
            merged.tableAError = "table A: " + fromA.error;
            nbp.a.reset();
        }
    }
    if (nbp.b && !nbp.a) {
        merged.tableBError = "table B: there is no table A to convert it with";
        nbp.b.reset();
    } else if (nbp.b) {
        fromB = RecordsOf(*nbp.b, given, names);
        if (!fromB.error.empty()) {
            merged.tableBError = "table B: " + fromB.error;
            nbp.b.reset();
        }
    }
    if (!ecb.ok && !nbp.a) {
        merged.error = Joined({&merged.ecbError, &merged.tableAError, &merged.tableBError});
        if (merged.error.empty()) merged.error = "no bank's answer came";
        return merged;
    }

    const std::string ecbPart = ecb.ok ? EcbHeader(ecb.date) : std::string();
    const std::string nbpPart =
        nbp.a ? NbpHeader(*nbp.a, nbp.b ? &*nbp.b : nullptr) : std::string();
    AppendAll(records, std::move(fromA.records));
    AppendAll(records, std::move(fromB.records));
    AppendFormerCurrencies(records);

    merged.ok = true;
    merged.list = FormatUpdateList(Joined({&ecbPart, &nbpPart}), records);
    merged.sources.reserve(records.size());
    for (ListRecord& r : records)
        merged.sources.push_back({std::move(r.code), std::move(r.source)});
    return merged;
}

MergedList MergeDocuments(const BankDocuments& documents, tk::XmlReader& reader,
                          const CurrencyNames& names) {
    std::optional<ParsedRates> ecb;
    std::optional<nbp::Reading> tableA, tableB;
    if (documents.ecb) ecb = ParseRatesXml(*documents.ecb, reader);
    if (documents.tableA) tableA = nbp::ReadTables(*documents.tableA, reader);
    if (documents.tableB) tableB = nbp::ReadTables(*documents.tableB, reader);
    return MergeRates(
        {ecb ? &*ecb : nullptr, tableA ? &*tableA : nullptr, tableB ? &*tableB : nullptr}, names);
}

}  // namespace feed
