#include "RatesHistory.h"

#include <algorithm>
#include <map>
#include <optional>
#include <utility>

#include "Rates.h"
#include "RatesFeed.h"

namespace history {
namespace {

constexpr std::string_view kEuro = "EUR";
constexpr std::string_view kEuroRate = "1";
constexpr std::string_view kTableA = "A";
constexpr std::string_view kTableB = "B";

// The documents read so far, by address.
std::map<std::string, feed::ParsedRates, std::less<>> ecbDocuments;
std::map<std::string, nbp::Reading, std::less<>> nbpDocuments;

std::optional<std::string_view> FormerRate(std::string_view code) {
    for (const feed::FormerCurrency& former : feed::FormerCurrencies()) {
        if (former.code == code) return former.rate;
    }
    return std::nullopt;
}

struct NbpAddresses {
    std::string tablesA;
    std::string tablesB;
};

NbpAddresses NbpAddressesNow() {
    const std::string base = rates::BankAddressesNow().nbpBase;
    const publications::Date to = publications::DayOf(tk::Services().clock->UtcNow());
    const publications::Date from = publications::DaysAfter(to, 1 - kHistoryDays);
    return {rates::NbpRangeUrl(base, kTableA, from, to),
            rates::NbpRangeUrl(base, kTableB, from, to)};
}

std::string EcbAddressNow() { return EcbHistoryUrl(rates::BankAddressesNow().ecb); }

bool ServicesThere() {
    const tk::ServiceSet& services = tk::Services();
    return services.http && services.clock && services.xml;
}

// The document kept for `url`, fetched and read first when it is not kept yet; nullptr when
// it did not come in time or did not read.
template <class Document, class Read>
const Document* Kept(std::map<std::string, Document, std::less<>>& kept, const std::string& url,
                     std::uint64_t start, Read read) {
    if (const auto it = kept.find(url); it != kept.end()) return &it->second;
    std::string body;
    if (!rates::FetchInTime(url, start, body)) return nullptr;
    Document document = read(body, *tk::Services().xml);
    if (!document.ok) return nullptr;
    return &kept.emplace(url, std::move(document)).first->second;
}

CurrencySeries Unavailable() {
    CurrencySeries failed;
    failed.error = "the bank's rates did not come";
    return failed;
}

CurrencySeries SeriesOf(const CurrencyEntry& entry, const DailySource& source,
                        std::uint64_t start) {
    const std::string code = entry.Short.str();
    switch (source.kind) {
        case DailySource::Kind::Fixed:
            return FixedSeries(source.fixedRate);
        case DailySource::Kind::Ecb: {
            const feed::ParsedRates* document =
                Kept(ecbDocuments, EcbAddressNow(), start, feed::ParseRatesXml);
            return document ? EcbSeries(*document, code) : Unavailable();
        }
        case DailySource::Kind::Nbp: {
            const NbpAddresses urls = NbpAddressesNow();
            const nbp::Reading* tablesA = Kept(nbpDocuments, urls.tablesA, start, nbp::ReadTables);
            const nbp::Reading* tablesB =
                tablesA && source.tableB ? Kept(nbpDocuments, urls.tablesB, start, nbp::ReadTables)
                                         : nullptr;
            if (!tablesA || (source.tableB && !tablesB)) return Unavailable();
            return NbpSeries(*tablesA, tablesB, code);
        }
        case DailySource::Kind::None:
            break;
    }
    return Unavailable();
}

bool NeedsFetch(const DailySource& source) {
    switch (source.kind) {
        case DailySource::Kind::Ecb:
            return !ecbDocuments.contains(EcbAddressNow());
        case DailySource::Kind::Nbp: {
            if (!tk::Services().clock) return false;
            const NbpAddresses urls = NbpAddressesNow();
            return !nbpDocuments.contains(urls.tablesA) ||
                   (source.tableB && !nbpDocuments.contains(urls.tablesB));
        }
        case DailySource::Kind::None:
        case DailySource::Kind::Fixed:
            break;
    }
    return false;
}

bool FromBank(const DailySource& source) {
    return source.kind == DailySource::Kind::Ecb || source.kind == DailySource::Kind::Nbp;
}

}  // namespace

DailySource SourceOf(const CurrencyEntry& entry) {
    using Kind = RateOrigin::Kind;
    const std::string code = entry.Short.str();
    if (code == kEuro)
        return {.kind = DailySource::Kind::Fixed, .fixedRate = std::string(kEuroRate)};
    switch (entry.Origin.kind) {
        case Kind::Euro:
            if (const std::optional<std::string_view> rate = FormerRate(code)) {
                return {.kind = DailySource::Kind::Fixed, .fixedRate = std::string(*rate)};
            }
            return {};
        case Kind::Ecb:
            return {.kind = DailySource::Kind::Ecb};
        case Kind::Nbp:
            return {.kind = DailySource::Kind::Nbp,
                    .tableB = nbp::IsTableBNumber(entry.Origin.table)};
        case Kind::Unknown:
            if (rates::UpdateEverRecorded()) return {.kind = DailySource::Kind::Ecb};
            return {};
        case Kind::BuiltIn:
        case Kind::Hand:
            break;
    }
    return {};
}

std::string EcbHistoryUrl(std::string_view ecbDaily) {
    const std::string_view path = ecbDaily.substr(0, ecbDaily.find('?'));
    const std::size_t slash = path.rfind('/');
    const std::string_view folder =
        slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
    return std::string(folder) + std::string(kEcbHistoryFile);
}

PairHistory LoadPair(const CurrencyEntry& base, const CurrencyEntry& quote, std::uint64_t start) {
    PairHistory history;
    const DailySource baseSource = SourceOf(base);
    const DailySource quoteSource = SourceOf(quote);
    const bool anyBank = FromBank(baseSource) || FromBank(quoteSource);
    if (baseSource.kind == DailySource::Kind::None || quoteSource.kind == DailySource::Kind::None ||
        !anyBank) {
        history.outcome = Outcome::NoHistory;
        return history;
    }
    if (!ServicesThere()) return history;
    const CurrencySeries baseRates = SeriesOf(base, baseSource, start);
    const CurrencySeries quoteRates =
        baseRates.ok ? SeriesOf(quote, quoteSource, start) : CurrencySeries{};
    if (!baseRates.ok || !quoteRates.ok) return history;
    history.series = PairOf(base.Short.str(), baseRates, quote.Short.str(), quoteRates);
    if (!history.series.ok) return history;
    history.outcome = history.series.days.empty() ? Outcome::NoHistory : Outcome::Ready;
    return history;
}

bool NeedsFetch(const CurrencyEntry& base, const CurrencyEntry& quote) {
    return NeedsFetch(SourceOf(base)) || NeedsFetch(SourceOf(quote));
}

void ForgetDocuments() {
    ecbDocuments.clear();
    nbpDocuments.clear();
}

}  // namespace history
