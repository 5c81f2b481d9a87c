#include "RatesXml.h"

#include <expat.h>

#include <algorithm>
#include <climits>
#include <map>
#include <memory>
#include <optional>

namespace feed {

namespace {

// Expat hands namespaced names as "URI<sep>local"; a local name never holds a blank.
constexpr XML_Char kNamespaceSeparator = ' ';
constexpr std::size_t kChunk = std::size_t{1} << 20;

std::string_view LocalName(const XML_Char* name) {
    const std::string_view full(name);
    const std::size_t sep = full.rfind(kNamespaceSeparator);
    return sep == std::string_view::npos ? full : full.substr(sep + 1);
}

std::optional<std::string> Attribute(const XML_Char** attributes, std::string_view wanted) {
    for (const XML_Char** a = attributes; a[0] != nullptr; a += 2) {
        if (wanted == a[0]) return std::string(a[1]);
    }
    return std::nullopt;
}

bool IsDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int TwoDigits(std::string_view text) { return (text[0] - '0') * 10 + (text[1] - '0'); }

struct Reader {
    XML_Parser parser = nullptr;
    ParsedRates result;
    std::map<std::string, std::uint64_t, std::less<>> dayLines;
    int depth = 0;
    int dayDepth = 0;  // depth of the open dated Cube, 0 outside one
    std::string error;

    std::uint64_t Line() const { return XML_GetCurrentLineNumber(parser); }

    void Fail(const std::string& what) {
        if (error.empty()) error = "line " + std::to_string(Line()) + ": " + what;
        XML_StopParser(parser, XML_FALSE);
    }

    void StartDay(std::string date) {
        if (dayDepth != 0) return Fail("a dated Cube inside another dated Cube");
        if (!IsIsoDate(date)) return Fail("time '" + date + "' is not a date YYYY-MM-DD");
        const auto [it, fresh] = dayLines.emplace(date, Line());
        if (!fresh) {
            return Fail("day " + date + " appears twice (first on line " +
                        std::to_string(it->second) + ")");
        }
        dayDepth = depth;
        result.days.push_back({std::move(date), Line(), {}});
    }

    void AddRate(std::optional<std::string> code, std::optional<std::string> rate) {
        if (!code) return Fail("a Cube with a rate and no currency");
        if (!rate) return Fail("currency " + *code + " has no rate");
        if (dayDepth == 0) return Fail("currency " + *code + " outside a dated Cube");
        result.days.back().rates.push_back({std::move(*code), std::move(*rate), Line()});
    }

    void Start(const XML_Char* name, const XML_Char** attributes) {
        ++depth;
        if (LocalName(name) != "Cube") return;
        if (auto time = Attribute(attributes, "time")) return StartDay(std::move(*time));
        auto code = Attribute(attributes, "currency");
        auto rate = Attribute(attributes, "rate");
        if (code || rate) AddRate(std::move(code), std::move(rate));
    }

    void End() {
        if (depth == dayDepth) dayDepth = 0;
        --depth;
    }
};

void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes) {
    static_cast<Reader*>(data)->Start(name, attributes);
}

void XMLCALL OnEnd(void* data, const XML_Char*) { static_cast<Reader*>(data)->End(); }

void XMLCALL OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    static_cast<Reader*>(data)->Fail("document type declarations are not accepted");
}

// Feeds the text in chunks, as XML_Parse takes an int length.
bool ParseAll(XML_Parser parser, std::string_view xml) {
    do {
        const std::size_t n = std::min(xml.size(), kChunk);
        const bool last = n == xml.size();
        if (XML_Parse(parser, xml.data(), static_cast<int>(n), last) != XML_STATUS_OK) {
            return false;
        }
        xml.remove_prefix(n);
    } while (!xml.empty());
    return true;
}

}  // namespace

bool IsIsoDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    if (!IsDigits(text.substr(0, 4)) || !IsDigits(text.substr(5, 2)) ||
        !IsDigits(text.substr(8, 2))) {
        return false;
    }
    const int month = TwoDigits(text.substr(5, 2));
    const int day = TwoDigits(text.substr(8, 2));
    return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

ParsedRates ParseRatesXml(std::string_view xml) {
    using ParserPtr = std::unique_ptr<std::remove_pointer_t<XML_Parser>, decltype(&XML_ParserFree)>;
    ParserPtr parser(XML_ParserCreateNS(nullptr, kNamespaceSeparator), &XML_ParserFree);
    if (!parser) return {false, {}, "out of memory"};
    Reader reader;
    reader.parser = parser.get();
    XML_SetUserData(parser.get(), &reader);
    XML_SetElementHandler(parser.get(), OnStart, OnEnd);
    XML_SetStartDoctypeDeclHandler(parser.get(), OnDoctype);

    if (!ParseAll(parser.get(), xml)) {
        if (reader.error.empty()) {
            reader.error =
                "line " + std::to_string(XML_GetCurrentLineNumber(parser.get())) +
                ": not well-formed XML: " + XML_ErrorString(XML_GetErrorCode(parser.get()));
        }
        return {false, {}, std::move(reader.error)};
    }
    reader.result.ok = true;
    return std::move(reader.result);
}

const FeedDay* NewestDay(const std::vector<FeedDay>& days) {
    const auto newest =
        std::max_element(days.begin(), days.end(),
                         [](const FeedDay& a, const FeedDay& b) { return a.date < b.date; });
    return newest == days.end() ? nullptr : &*newest;
}

}  // namespace feed
