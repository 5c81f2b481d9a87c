#include "Rates.h"

#include "BuiltInNames.h"
#include "NbpTables.h"
#include "RatesMerge.h"
#include "mdlData.h"

#ifndef PECUN_UPDATE_URL
#define PECUN_UPDATE_URL ""
#endif

namespace rates {

namespace {

constexpr std::string_view kUpdateUrlKey = "UpdateUrl";
constexpr std::string_view kFallbackUrlKey = "FallbackUrl";
constexpr std::string_view kNbpUrlKey = "NbpUrl";
constexpr std::string_view kRatesHeaderKey = "RatesHeader";
constexpr std::string_view kLastUpdateKey = "LastUpdate";
// What "LastUpdate" holds when no update was ever recorded.
constexpr std::string_view kNeverUpdated = "0";
constexpr std::string_view kBuiltListServer = PECUN_UPDATE_URL;
constexpr std::string_view kTableBPath = "tables/B/?format=xml";
constexpr std::string_view kTablesPath = "tables/";
constexpr std::string_view kTableA = "A";
constexpr std::string_view kFormatXml = "/?format=xml";
constexpr std::string_view kBuiltInRate = "Built-in rate";

// The date and time a "LastUpdate" text stands for; nullopt for none or one that does not
// read.
std::optional<tk::LocalTime> DateOf(const std::string& lastUpdate) {
    tk::RegionalService* regional = tk::Services().regional;
    if (lastUpdate == kNeverUpdated || regional == nullptr) return std::nullopt;
    return regional->ReadDateTime(lastUpdate);
}

// The current local date and time as the user's short date, a blank, the long time.
std::string NowText(tk::RegionalService& regional, tk::ClockService& clock) {
    const tk::LocalTime now = clock.Now();
    return regional.ShortDate(now.year, now.month, now.day) + " " +
           regional.LongTime(now.hour, now.minute, now.second);
}

// "latest", "1 <unit> behind", "N <unit>s behind".
std::string BehindText(int count, std::string_view unit) {
    if (count == 0) return "latest";
    std::string text = std::to_string(count) + " " + std::string(unit);
    if (count != 1) text += "s";
    return text + " behind";
}

bool UpdateRecorded(const std::string& header, const std::string& lastUpdate) {
    return !header.empty() || lastUpdate != kNeverUpdated;
}

// The fetches of one update, each given what is left of its time.
class Fetcher {
public:
    explicit Fetcher(std::uint64_t start) : start_(start) {}

    // The body the address gave in the time left; empty when none came.
    std::string Fetch(const std::string& url) const {
        std::string body;
        if (!FetchInTime(url, start_, body)) return {};
        return body;
    }

private:
    std::uint64_t start_;
};

// What the update takes: the list's text, its reading and its records' origins.
class Taken {
public:
    Taken(std::string& text, UpdateList& list, std::vector<RateOrigin>& origins)
        : text_(text), list_(list), origins_(origins) {}

    // Takes `listText` when it reads as an update list, with `origins` (one per record or
    // none).
    bool Take(std::string listText, std::vector<RateOrigin> origins = {}) {
        text_ = std::move(listText);
        std::optional<UpdateList> read = ReadUpdateList(text_);
        if (!read || (!origins.empty() && origins.size() != read->records.size())) return false;
        list_ = std::move(*read);
        origins_ = std::move(origins);
        return true;
    }

    bool Take(feed::MergedList&& merged) {
        if (!merged.ok) return false;
        std::vector<RateOrigin> origins;
        origins.reserve(merged.sources.size());
        for (feed::RecordSource& r : merged.sources) origins.push_back(OriginOf(r.source));
        return Take(std::move(merged.list), std::move(origins));
    }

private:
    static RateOrigin OriginOf(feed::RateSource& source) {
        switch (source.kind) {
            case feed::RateSourceKind::Ecb:
                return {.kind = RateOrigin::Kind::Ecb, .date = std::move(source.date)};
            case feed::RateSourceKind::Nbp:
                return {.kind = RateOrigin::Kind::Nbp,
                        .date = std::move(source.date),
                        .table = std::move(source.table)};
            case feed::RateSourceKind::Euro:
                break;
        }
        return {.kind = RateOrigin::Kind::Euro};
    }

    std::string& text_;
    UpdateList& list_;
    std::vector<RateOrigin>& origins_;
};

// The ECB's document `body` is, when it is one (its root the bank's Envelope); nullopt for
// any other body, and without an XML reader.
std::optional<feed::ParsedRates> EcbDocument(std::string_view body) {
    tk::XmlReader* xml = tk::Services().xml;
    if (xml == nullptr || body.empty()) return std::nullopt;
    feed::ParsedRates parsed = feed::ParseRatesXml(body, *xml);
    if (!parsed.centralBankRoot) return std::nullopt;
    return parsed;
}

// Takes the ECB's document alone, or the list, that an address of lists gave.
bool TakeListBody(std::string body, Taken& taken) {
    if (std::optional<feed::ParsedRates> ecb = EcbDocument(body)) {
        return taken.Take(
            feed::MergeRates({&*ecb, nullptr, nullptr}, feed::BuiltInCurrencyNames()));
    }
    return !body.empty() && taken.Take(std::move(body));
}

std::optional<nbp::Reading> NbpReading(const std::string& body) {
    tk::XmlReader* xml = tk::Services().xml;
    if (xml == nullptr || body.empty()) return std::nullopt;
    return nbp::ReadTables(body, *xml);
}

// Both banks, merged; or the list the ECB's address gave instead of its file.
bool TakeBanks(const Sources& sources, Fetcher& fetcher, Taken& taken) {
    std::string ecbBody = fetcher.Fetch(sources.ecb);
    const std::optional<feed::ParsedRates> ecb = EcbDocument(ecbBody);
    if (!ecb && !ecbBody.empty() && taken.Take(std::move(ecbBody))) return true;
    if (tk::Services().xml == nullptr) return false;

    const std::optional<nbp::Reading> tableB =
        NbpReading(fetcher.Fetch(NbpTableBUrl(sources.nbpBase)));
    const std::optional<std::string> bDate = nbp::TableBDate(tableB ? &*tableB : nullptr);
    const publications::Date to = bDate ? *publications::IsoDate(*bDate)
                                        : publications::DayOf(tk::Services().clock->UtcNow());
    const std::optional<nbp::Reading> tableA =
        NbpReading(fetcher.Fetch(NbpTableAUrl(sources.nbpBase, to)));
    return taken.Take(feed::MergeRates(
        {ecb ? &*ecb : nullptr, tableA ? &*tableA : nullptr, tableB ? &*tableB : nullptr},
        feed::BuiltInCurrencyNames()));
}

// The age of an NBP table's rates by its calendar.
std::string NbpAgeText(const RateOrigin& origin, const publications::Date& day,
                       const tk::LocalTime& utcNow) {
    return nbp::IsTableBNumber(origin.table)
               ? BehindText(publications::NbpTableBWeeksSince(day, utcNow), "week")
               : BehindText(publications::NbpWorkingDaysSince(day, utcNow), "working day");
}

// "Source: <what> of <date>", then ": <age>" when the clock is there.
std::string BankText(const RateOrigin& origin) {
    const bool ecb = origin.kind == RateOrigin::Kind::Ecb;
    std::string text = ecb ? "Source: ECB euro reference rates of " + origin.date
                           : "Source: NBP table " + origin.table + " of " + origin.date;
    tk::ClockService* clock = tk::Services().clock;
    const std::optional<publications::Date> day = publications::IsoDate(origin.date);
    if (clock == nullptr || !day) return text;
    const tk::LocalTime utcNow = clock->UtcNow();
    return text + ": " +
           (ecb ? BehindText(publications::PublicationsSince(*day, utcNow), "publication")
                : NbpAgeText(origin, *day, utcNow));
}

std::string HandText(const RateOrigin& origin) {
    std::string text = "Rate set by hand";
    const std::optional<publications::Date> day = publications::IsoDate(origin.date);
    if (!day) return text;
    tk::RegionalService* regional = tk::Services().regional;
    return text + " on " +
           (regional ? regional->ShortDate(day->year, day->month, day->day) : origin.date);
}

// RatesAgeText of the recorded header and last update.
std::string AgeText(const std::string& header, const std::string& lastUpdate) {
    if (!UpdateRecorded(header, lastUpdate)) return "Built-in rates, never updated";
    std::string text = header;
    if (const std::optional<tk::LocalTime> last = DateOf(lastUpdate)) {
        text += text.empty() ? "Updated " : ", updated ";
        text += tk::Services().regional->ShortDate(last->year, last->month, last->day);
    }
    if (text.empty()) text = "Updated rates";
    tk::ClockService* clock = tk::Services().clock;
    const std::optional<publications::Date> day = publications::TrailingIsoDate(header);
    if (day && clock != nullptr) {
        text += ": ";
        text += BehindText(publications::PublicationsSince(*day, clock->UtcNow()), "publication");
    }
    return text;
}

}  // namespace

std::string_view BuiltListServer() { return kBuiltListServer; }

bool FetchInTime(const std::string& url, std::uint64_t start, std::string& body) {
    const tk::ServiceSet& services = tk::Services();
    if (!services.http || !services.clock) return false;
    const std::uint64_t spent = services.clock->Ticks() - start;
    if (spent >= static_cast<std::uint64_t>(kUpdateTimeLimitMs)) return false;
    std::string fetched;
    if (!services.http->Fetch(url, kUpdateTimeLimitMs - static_cast<int>(spent), fetched)) {
        return false;
    }
    body = std::move(fetched);
    return true;
}

BankAddresses BankAddressesNow() {
    BankAddresses banks{mdlData::ReadSetting(kFallbackUrlKey, ""),
                        mdlData::ReadSetting(kNbpUrlKey, "")};
    if (banks.ecb.empty()) banks.ecb = kCentralBankUrl;
    if (banks.nbpBase.empty()) banks.nbpBase = kNbpBaseUrl;
    if (!banks.nbpBase.ends_with('/')) banks.nbpBase += '/';
    return banks;
}

Sources SourcesOf(std::string_view listServer) {
    Sources sources;
    if (std::string url = mdlData::ReadSetting(kUpdateUrlKey, ""); !url.empty()) {
        sources.lists.push_back(std::move(url));
        sources.banks = false;
        return sources;
    }
    if (!listServer.empty()) sources.lists.emplace_back(listServer);
    BankAddresses banks = BankAddressesNow();
    sources.ecb = std::move(banks.ecb);
    sources.nbpBase = std::move(banks.nbpBase);
    return sources;
}

std::string NbpTableBUrl(std::string_view base) {
    return std::string(base) + std::string(kTableBPath);
}

std::string NbpTableAUrl(std::string_view base, publications::Date to) {
    return NbpRangeUrl(base, kTableA, publications::DaysAfter(to, -nbp::kMaxDaysBeforeB), to);
}

std::string NbpRangeUrl(std::string_view base, std::string_view table, publications::Date from,
                        publications::Date to) {
    return std::string(base) + std::string(kTablesPath) + std::string(table) + "/" +
           publications::IsoText(from) + "/" + publications::IsoText(to) + std::string(kFormatXml);
}

bool FetchList(const Sources& sources, std::uint64_t start, std::string& text, UpdateList& list,
               std::vector<RateOrigin>& origins) {
    const tk::ServiceSet& services = tk::Services();
    if (!services.http || !services.clock || !services.settings) return false;
    Fetcher fetcher(start);
    Taken taken(text, list, origins);
    for (const std::string& url : sources.lists) {
        if (TakeListBody(fetcher.Fetch(url), taken)) return true;
    }
    return sources.banks && TakeBanks(sources, fetcher, taken);
}

bool FetchList(std::uint64_t start, std::string& text, UpdateList& list,
               std::vector<RateOrigin>& origins) {
    return FetchList(SourcesOf(BuiltListServer()), start, text, list, origins);
}

bool RecordUpdate(std::string_view header) {
    const tk::ServiceSet& services = tk::Services();
    if (!services.regional || !services.clock) return false;
    const bool headed = mdlData::WriteSetting(kRatesHeaderKey, header);
    return mdlData::WriteSetting(kLastUpdateKey, NowText(*services.regional, *services.clock)) &&
           headed;
}

bool UpdateEverRecorded() {
    return UpdateRecorded(mdlData::ReadSetting(kRatesHeaderKey, ""),
                          mdlData::ReadSetting(kLastUpdateKey, kNeverUpdated));
}

std::optional<tk::LocalTime> LastUpdateDate() {
    return DateOf(mdlData::ReadSetting(kLastUpdateKey, kNeverUpdated));
}

std::string RatesAgeText() {
    return AgeText(mdlData::ReadSetting(kRatesHeaderKey, ""),
                   mdlData::ReadSetting(kLastUpdateKey, kNeverUpdated));
}

std::string OriginText(const RateOrigin& origin) {
    switch (origin.kind) {
        case RateOrigin::Kind::Ecb:
        case RateOrigin::Kind::Nbp:
            return BankText(origin);
        case RateOrigin::Kind::Euro:
            return "Fixed rate to the euro";
        case RateOrigin::Kind::Hand:
            return HandText(origin);
        case RateOrigin::Kind::BuiltIn:
            return std::string(kBuiltInRate);
        case RateOrigin::Kind::Unknown:
            break;
    }
    const std::string header = mdlData::ReadSetting(kRatesHeaderKey, "");
    const std::string lastUpdate = mdlData::ReadSetting(kLastUpdateKey, kNeverUpdated);
    return UpdateRecorded(header, lastUpdate) ? AgeText(header, lastUpdate)
                                              : std::string(kBuiltInRate);
}

}  // namespace rates
