// Reading the rates document: elements by local name, days, and picking the newest.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Publications.h"
#include "RatesFeed.h"
#include "toolkit/expat/ExpatXml.h"

namespace feed {
namespace {

ParsedRates ParseRatesXml(std::string_view xml) {
    tk::ExpatXmlReader reader;
    return feed::ParseRatesXml(xml, reader);
}

std::vector<std::string> Codes(const FeedDay& day) {
    std::vector<std::string> codes;
    for (const FeedRate& r : day.rates) codes.push_back(r.code + "=" + r.rate);
    return codes;
}

TEST(ParseRatesXml, MatchesCubeByLocalNameInAnyNamespace) {
    const std::vector<std::string> expected{"USD=1.1", "JPY=130"};
    for (const char* xml : {
             // the bank's default namespace
             "<Envelope xmlns='http://www.ecb.int/vocabulary/2002-08-01/eurofxref'><Cube>"
             "<Cube time='2024-05-17'><Cube currency='USD' rate='1.1'/>"
             "<Cube currency='JPY' rate='130'/></Cube></Cube></Envelope>",
             // a prefix for it
             "<x:Cube xmlns:x='urn:rates'><x:Cube time='2024-05-17'>"
             "<x:Cube currency='USD' rate='1.1'/><x:Cube currency='JPY' rate='130'/>"
             "</x:Cube></x:Cube>",
             // no namespace at all, other elements in between
             "<Cube><Cube time='2024-05-17'><Note>x</Note><Cube currency='USD' rate='1.1'/>"
             "<Cube currency='JPY' rate='130'></Cube></Cube></Cube>",
         }) {
        const ParsedRates parsed = ParseRatesXml(xml);
        ASSERT_TRUE(parsed.ok) << parsed.error << "\n" << xml;
        ASSERT_EQ(parsed.days.size(), 1u) << xml;
        EXPECT_EQ(parsed.days[0].date, "2024-05-17");
        EXPECT_EQ(Codes(parsed.days[0]), expected) << xml;
    }
}

TEST(ParseRatesXml, ElementsNamedOtherwiseAreNotRates) {
    const ParsedRates parsed = ParseRatesXml(
        "<Cube><Cube time='2024-05-17'><Cubes currency='USD' rate='1'/>"
        "<CubeX currency='JPY' rate='1'/><Cube currency='GBP' rate='0.9'/></Cube></Cube>");
    ASSERT_TRUE(parsed.ok) << parsed.error;
    ASSERT_EQ(parsed.days.size(), 1u);
    EXPECT_EQ(Codes(parsed.days[0]), std::vector<std::string>{"GBP=0.9"});
}

TEST(ParseRatesXml, KeepsEveryDayWithItsLine) {
    const ParsedRates parsed = ParseRatesXml(
        "<Cube>\n<Cube time='2024-05-16'>\n<Cube currency='USD' rate='1'/>\n</Cube>\n"
        "<Cube time='2024-05-17'/>\n</Cube>");
    ASSERT_TRUE(parsed.ok) << parsed.error;
    ASSERT_EQ(parsed.days.size(), 2u);
    EXPECT_EQ(parsed.days[0].line, 2u);
    ASSERT_EQ(parsed.days[0].rates.size(), 1u);
    EXPECT_EQ(parsed.days[0].rates[0].line, 3u);
    EXPECT_EQ(parsed.days[1].line, 5u);
    EXPECT_TRUE(parsed.days[1].rates.empty());
}

TEST(ParseRatesXml, ReadsLargeDocumentsInPieces) {
    // past the size handed to the parser at once, line numbers going on across the pieces
    std::string xml = "<Cube>\n";
    for (int d = 1; d <= 28; ++d) {
        xml += "<Cube time='2024-02-" + std::string(d < 10 ? "0" : "") + std::to_string(d) + "'>\n";
        for (int i = 0; i < 3000; ++i) xml += "<Cube currency='USD' rate='1.0800'/>\n";
        xml += "</Cube>\n";
    }
    xml += "</Cube>\n";
    ASSERT_GT(xml.size(), std::size_t{2} << 20);
    const ParsedRates parsed = ParseRatesXml(xml);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    ASSERT_EQ(parsed.days.size(), 28u);
    ASSERT_EQ(parsed.days.back().rates.size(), 3000u);
    EXPECT_EQ(parsed.days.back().rates.back().line, 28u * 3002u);
}

TEST(NewestDay, TakesTheGreatestDateInAnyOrder) {
    const auto days = [](std::vector<std::string> dates) {
        std::vector<FeedDay> result;
        for (std::string& d : dates) result.push_back({std::move(d), 0, {}});
        return result;
    };
    EXPECT_EQ(NewestDay({}), nullptr);
    for (const std::vector<std::string>& order :
         {std::vector<std::string>{"2024-05-17", "2024-05-16", "1999-01-04"},
          {"1999-01-04", "2024-05-16", "2024-05-17"},
          {"2024-05-16", "2024-05-17", "1999-01-04"},
          {"2024-05-17"}}) {
        const std::vector<FeedDay> list = days(order);
        const FeedDay* newest = NewestDay(list);
        ASSERT_NE(newest, nullptr);
        EXPECT_EQ(newest->date, "2024-05-17") << "in a list starting with " << order.front();
    }
}

TEST(IsoDate, AcceptsOnlyRealDaysYearMonthDay) {
    for (const char* good : {"2019-04-11", "1999-01-04", "2024-12-31", "2024-02-29"}) {
        EXPECT_TRUE(publications::IsoDate(good)) << good;
    }
    for (const char* bad : {"", "2019-4-11", "2019-04-1", "2019/04/11", "2019-00-11", "2019-13-11",
                            "2019-04-00", "2019-04-32", "20190411", "2019-04-11 ", "２019-04-11",
                            "+019-04-11", "2019-02-31", "2023-02-29", "2019-04-31"}) {
        EXPECT_FALSE(publications::IsoDate(bad)) << bad;
    }
}

}  // namespace
}  // namespace feed
