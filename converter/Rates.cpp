#include "Rates.h"

#include "Publications.h"
#include "RatesFeed.h"
#include "mdlData.h"

namespace rates {

namespace {

constexpr std::string_view kUpdateUrlKey = "UpdateUrl";
constexpr std::string_view kFallbackUrlKey = "FallbackUrl";
constexpr std::string_view kRatesHeaderKey = "RatesHeader";
constexpr std::string_view kLastUpdateKey = "LastUpdate";
// What "LastUpdate" holds when no update was ever recorded.
constexpr std::string_view kNeverUpdated = "0";

// The converter's names for the bank's currencies: the built-in table's, then the bank's own.
const feed::CurrencyNames& BuiltInNames() {
    static const feed::CurrencyNames names = [] {
        feed::CurrencyNames n;
        for (int i = 0; !mdlData::DefaultResource(mdlData::kCodeResource + i).empty(); ++i) {
            n.Add(std::string(mdlData::DefaultResource(mdlData::kCodeResource + i)),
                  std::string(mdlData::DefaultResource(mdlData::kNameResource + i)));
        }
        for (const feed::NamedCurrency& c : feed::PublishedCurrencies()) {
            n.Add(std::string(c.code), std::string(c.name));
        }
        return n;
    }();
    return names;
}

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

std::string BehindText(int publications) {
    if (publications == 0) return "latest";
    if (publications == 1) return "1 publication behind";
    return std::to_string(publications) + " publications behind";
}

}  // namespace

std::vector<std::string> Sources() {
    if (std::string url = mdlData::ReadSetting(kUpdateUrlKey, ""); !url.empty()) {
        return {std::move(url)};
    }
    std::string fallback = mdlData::ReadSetting(kFallbackUrlKey, "");
    if (fallback.empty()) fallback = kCentralBankUrl;
    return {std::string(kUpdateBaseUrl), std::move(fallback)};
}

bool FetchList(std::uint64_t start, std::string& text, UpdateList& list) {
    const tk::ServiceSet& services = tk::Services();
    if (!services.http || !services.clock || !services.settings) return false;
    for (const std::string& url : Sources()) {
        const std::uint64_t spent = services.clock->Ticks() - start;
        if (spent >= static_cast<std::uint64_t>(kUpdateTimeLimitMs)) return false;
        std::string body;
        if (!services.http->Fetch(url, kUpdateTimeLimitMs - static_cast<int>(spent), body) ||
            body.empty()) {
            continue;
        }
        std::optional<std::string> listText = ListTextOf(std::move(body));
        if (!listText) continue;
        text = std::move(*listText);
        if (std::optional<UpdateList> read = ReadUpdateList(text)) {
            list = std::move(*read);
            return true;
        }
    }
    return false;
}

std::optional<std::string> ListTextOf(std::string body) {
    tk::XmlReader* xml = tk::Services().xml;
    if (xml == nullptr) return body;
    feed::BodyReading reading = feed::ReadRatesBody(body, *xml, BuiltInNames());
    if (!reading.isRatesDocument) return body;
    if (!reading.list.ok) return std::nullopt;
    return std::move(reading.list.list);
}

bool RecordUpdate(std::string_view header) {
    const tk::ServiceSet& services = tk::Services();
    if (!services.regional || !services.clock) return false;
    const bool headed = mdlData::WriteSetting(kRatesHeaderKey, header);
    return mdlData::WriteSetting(kLastUpdateKey, NowText(*services.regional, *services.clock)) &&
           headed;
}

std::optional<tk::LocalTime> LastUpdateDate() {
    return DateOf(mdlData::ReadSetting(kLastUpdateKey, kNeverUpdated));
}

std::string RatesAgeText() {
    const std::string header = mdlData::ReadSetting(kRatesHeaderKey, "");
    const std::string lastUpdate = mdlData::ReadSetting(kLastUpdateKey, kNeverUpdated);
    if (header.empty() && lastUpdate == kNeverUpdated) return "Built-in rates, never updated";
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
        text += BehindText(publications::PublicationsSince(*day, clock->UtcNow()));
    }
    return text;
}

}  // namespace rates
