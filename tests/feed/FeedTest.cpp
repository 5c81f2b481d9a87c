// Making the update list: rate rounding, names, order, history documents and bad input.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "Names.h"
#include "toolkit/expat/ExpatXml.h"
#include "TestFiles.h"

namespace feed {
namespace {

// The list through the native reader.
FeedResult MakeUpdateList(std::string_view xml, const CurrencyNames& names) {
    tk::ExpatXmlReader reader;
    return feed::MakeUpdateList(xml, reader, names);
}

using test::ReadTestData;
using test::SampleNames;
using test::Lines;
using test::RecordOf;

// ---- rates ----

struct RateCase {
    const char* text;
    std::int64_t expected;
};

void PrintTo(const RateCase& c, std::ostream* os) { *os << "'" << c.text << "'"; }

class RateRounding : public testing::TestWithParam<RateCase> {};

TEST_P(RateRounding, GivesTheExactCountHalvesToEven) {
    const RateCase& c = GetParam();
    const std::optional<std::int64_t> got = RateTenThousandths(c.text);
    ASSERT_TRUE(got.has_value()) << "'" << c.text << "': expected " << c.expected
                                 << ", got no value";
    EXPECT_EQ(*got, c.expected) << "'" << c.text << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Feed, RateRounding,
    testing::Values(RateCase{"1.1264", 11264}, RateCase{"1321.61", 13216100}, RateCase{"7", 70000},
                    RateCase{"0.0001", 1},
                    // halves: to even, whatever a double would make of them
                    RateCase{"0.84585", 8458}, RateCase{"0.84595", 8460},
                    RateCase{"1.95583", 19558}, RateCase{"0.787564", 7876}, RateCase{"0.00005", 0},
                    RateCase{"0.00015", 2}, RateCase{"0.000250", 2},
                    // anything past the half rounds up, anything short of it down
                    RateCase{"0.0002500000000000000001", 3}, RateCase{"0.00024999999", 2},
                    RateCase{"0.99995", 10000}, RateCase{"9.99999", 100000},
                    // leading zeros do not count towards the size
                    RateCase{"0000000000000000000012.5", 125000}, RateCase{"0.0000", 0},
                    // up to 2^53 ten-thousandths, halves at the limit included
                    RateCase{"900719925474.0992", 9007199254740992},
                    RateCase{"900719925474.09925", 9007199254740992},
                    RateCase{"900719925474.09914", 9007199254740991}));

TEST(RateTenThousandths, RefusesTextThatIsNotAPlainDecimal) {
    for (const char* text : {"", ".", "1.", ".5", "-1", "+1", "1e3", "1E3", " 1", "1 ", "1,5",
                             "1.2.3", "0x10", "1.1264\n", "\xd9\xa1", "NaN", "inf"}) {
        EXPECT_FALSE(IsDecimalText(text)) << "'" << text << "'";
        EXPECT_FALSE(RateTenThousandths(text).has_value()) << "'" << text << "'";
    }
}

TEST(RateTenThousandths, RefusesCountsAbove2To53) {
    for (const char* text : {"900719925474.09926", "900719925474.0993", "900719925475",
                             "10000000000000", "99999999999999999999999999999999"}) {
        EXPECT_FALSE(RateTenThousandths(text).has_value())
            << "'" << text << "': expected no value, got " << RateTenThousandths(text).value_or(-1);
    }
}

TEST(FormerCurrencies, EveryEntryIsAValidCodeWithAUsableRateAndAName) {
    std::set<std::string_view> codes;
    for (const FormerCurrency& f : FormerCurrencies()) {
        EXPECT_TRUE(codes.insert(f.code).second) << f.code << " listed twice";
        EXPECT_EQ(f.code.size(), 3u) << f.code;
        const std::optional<std::int64_t> rate = RateTenThousandths(f.rate);
        EXPECT_TRUE(rate.has_value() && *rate > 0) << f.code << " rate '" << f.rate << "'";
        EXPECT_FALSE(f.name.empty()) << f.code;
    }
    EXPECT_EQ(codes.count("EUR"), 0u);
}

// ---- whole lists ----


std::string DailyWith(const std::string& rates, const std::string& date = "2024-05-17") {
    return "<?xml version='1.0' encoding='UTF-8'?>\n"
           "<gesmes:Envelope xmlns:gesmes='http://www.gesmes.org/xml/2002-08-01' "
           "xmlns='http://www.ecb.int/vocabulary/2002-08-01/eurofxref'>\n"
           "<Cube>\n<Cube time='" +
           date + "'>\n" + rates + "</Cube>\n</Cube>\n</gesmes:Envelope>\n";
}

TEST(MakeUpdateList, SampleDailyFileGivesTheExpectedList) {
    const FeedResult result =
        MakeUpdateList(ReadTestData("eurofxref-daily-2019-04-11.xml"), SampleNames());
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.list, ReadTestData("eurofxref-daily-2019-04-11.list"));
}

TEST(MakeUpdateList, HistoryFileGivesItsNewestDayWhereverItStands) {
    const FeedResult result =
        MakeUpdateList(ReadTestData("eurofxref-hist-shuffled.xml"), SampleNames());
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.list, ReadTestData("eurofxref-hist-shuffled.list"));
}

TEST(MakeUpdateList, OrderIsEuroThenFeedThenMissingFormerCurrencies) {
    const FeedResult result =
        MakeUpdateList(DailyWith("<Cube currency='ZAR' rate='20'/><Cube currency='CYP' rate='0.6'/>"
                                 "<Cube currency='AUD' rate='1.6'/>"),
                       CurrencyNames{});
    ASSERT_TRUE(result.ok) << result.error;
    const std::vector<std::string> lines = Lines(result.list);
    std::vector<std::string> codes;
    for (std::size_t i = 1; i < lines.size(); ++i) codes.push_back(lines[i].substr(0, 3));

    std::vector<std::string> expected{"EUR", "ZAR", "CYP", "AUD"};
    for (const FormerCurrency& f : FormerCurrencies()) {
        if (f.code != "CYP") expected.emplace_back(f.code);
    }
    EXPECT_EQ(codes, expected);
    EXPECT_EQ(lines[0], "ECB euro reference rates of 2024-05-17");
    // a former currency the feed carries takes the feed's rate and its own name
    EXPECT_EQ(RecordOf(result.list, "CYP"), "CYP\t6000\tCypriot pound");
}

TEST(MakeUpdateList, NamesComeFromBuiltInsThenTheTableThenTheCode) {
    const FeedResult result =
        MakeUpdateList(DailyWith("<Cube currency='PLN' rate='4.3'/><Cube currency='DEM' rate='2'/>"
                                 "<Cube currency='XYZ' rate='1'/><Cube currency='ZAR' rate='20'/>"),
                       SampleNames());
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(RecordOf(result.list, "EUR"), "EUR\t10000\tEuro");
    EXPECT_EQ(RecordOf(result.list, "PLN"), "PLN\t43000\tZloty");
    EXPECT_EQ(RecordOf(result.list, "DEM"), "DEM\t20000\tGerman mark");  // not the table's
    EXPECT_EQ(RecordOf(result.list, "XYZ"), "XYZ\t10000\tXYZ");          // in no table
    EXPECT_EQ(RecordOf(result.list, "ZAR"), "ZAR\t200000\tZAR");         // empty in the table
}

TEST(MakeUpdateList, EuroWithoutANameIsCalledEur) {
    const FeedResult result = MakeUpdateList(DailyWith("<Cube currency='USD' rate='1'/>"), {});
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(RecordOf(result.list, "EUR"), "EUR\t10000\tEUR");
}

TEST(MakeUpdateList, InstalledIsoCodesTableNamesTheCurrencies) {
    const std::string path = "/usr/share/iso-codes/json/iso_4217.json";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is not installed";
    const NamesResult names = LoadCurrencyNames(test::ReadText(path));
    ASSERT_TRUE(names.ok) << names.error;
    const FeedResult result =
        MakeUpdateList(ReadTestData("eurofxref-daily-2019-04-11.xml"), names.names);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(RecordOf(result.list, "EUR"), "EUR\t10000\tEuro");
    EXPECT_EQ(RecordOf(result.list, "PLN"), "PLN\t42830\tZloty");
    EXPECT_EQ(RecordOf(result.list, "HRK"), "HRK\t74385\tCroatian kuna");
}

TEST(MakeUpdateList, ControlCharactersInANameToBeWrittenAreAFault) {
    CurrencyNames names;
    names.Add("USD", "US\tDollar");
    names.Add("GBP", "Pound\r\nSterling");
    names.Add("JPY", "Yen");

    const FeedResult usd = MakeUpdateList(DailyWith("<Cube currency='USD' rate='1'/>\n"), names);
    EXPECT_FALSE(usd.ok) << usd.list;
    EXPECT_EQ(usd.error, "line 5: the name of USD holds a control character (TAB, LF, CR...)");
    const FeedResult gbp = MakeUpdateList(DailyWith("<Cube currency='GBP' rate='1'/>\n"), names);
    EXPECT_FALSE(gbp.ok) << gbp.list;

    // a bad name the list does not need stops nothing
    const FeedResult jpy = MakeUpdateList(DailyWith("<Cube currency='JPY' rate='1'/>\n"), names);
    EXPECT_TRUE(jpy.ok) << jpy.error;
}

// ---- bad documents ----

struct BadCase {
    const char* what;
    std::string xml;
    const char* error;  // the whole message
};

void PrintTo(const BadCase& c, std::ostream* os) { *os << c.what; }

class BadDocument : public testing::TestWithParam<BadCase> {};

TEST_P(BadDocument, GivesNoListAndNamesTheFault) {
    const BadCase& c = GetParam();
    const FeedResult result = MakeUpdateList(c.xml, SampleNames());
    EXPECT_FALSE(result.ok) << c.what << ": expected a fault, got the list\n" << result.list;
    EXPECT_TRUE(result.list.empty()) << c.what;
    EXPECT_EQ(result.error, c.error) << c.what;
}

std::string Rate(const char* code, const char* rate) {
    return std::string("<Cube currency='") + code + "' rate='" + rate + "'/>\n";
}

// In DailyWith's documents the day stands on line 4 and its first rate on line 5.
INSTANTIATE_TEST_SUITE_P(
    Feed, BadDocument,
    testing::Values(
        BadCase{"empty input", "", "line 1: not well-formed XML: no element found"},
        BadCase{"unclosed element", DailyWith("<Cube currency='USD' rate='1'>\n"),
                "line 8: not well-formed XML: mismatched tag"},
        BadCase{"text, not XML", "USD 1.1264\n", "line 1: not well-formed XML: syntax error"},
        BadCase{"no dated Cube", "<Envelope><Cube/></Envelope>",
                "the document holds no day of rates (no Cube with a time)"},
        BadCase{"a day without rates", DailyWith(""), "line 4: day 2024-05-17 holds no rates"},
        BadCase{"lower-case code", DailyWith(Rate("usd", "1")),
                "line 5: currency code 'usd' is not three capital letters A-Z"},
        BadCase{"non-ASCII code", DailyWith(Rate("\xc3\x84US", "1")),
                "line 5: currency code '\xc3\x84US' is not three capital letters A-Z"},
        BadCase{"code twice", DailyWith(Rate("USD", "1") + Rate("GBP", "1") + Rate("USD", "2")),
                "line 7: USD appears twice in day 2024-05-17 (first on line 5)"},
        BadCase{"the euro itself", DailyWith(Rate("EUR", "1")),
                "line 5: EUR is the base currency and cannot have a rate"},
        BadCase{"signed rate", DailyWith(Rate("USD", "-1.1")),
                "line 5: rate '-1.1' of USD is not a plain decimal number such as 1.1264"},
        BadCase{"empty rate", DailyWith(Rate("USD", "")),
                "line 5: rate '' of USD is not a plain decimal number such as 1.1264"},
        BadCase{"rate rounding to 0", DailyWith(Rate("USD", "0.00005")),
                "line 5: rate '0.00005' of USD rounds to 0 ten-thousandths"},
        BadCase{"rate too large", DailyWith(Rate("USD", "900719925474.0993")),
                "line 5: rate '900719925474.0993' of USD exceeds 2^53 ten-thousandths"},
        BadCase{"currency without rate", DailyWith("<Cube currency='USD'/>"),
                "line 5: currency USD has no rate"},
        BadCase{"rate without currency", DailyWith("<Cube rate='1'/>"),
                "line 5: a Cube with a rate and no currency"},
        BadCase{"rate outside a day",
                "<Envelope>\n<Cube>\n<Cube currency='USD' rate='1'/>\n</Cube>\n</Envelope>",
                "line 3: currency USD outside a dated Cube"},
        BadCase{"day inside a day",
                "<Cube>\n<Cube time='2024-05-17'>\n<Cube time='2024-05-16'/>\n</Cube>\n</Cube>",
                "line 3: a dated Cube inside another dated Cube"},
        BadCase{"day that is no date", DailyWith(Rate("USD", "1"), "17.05.2024"),
                "line 4: time '17.05.2024' is not a date YYYY-MM-DD"},
        BadCase{"day that is no real day", DailyWith(Rate("USD", "1"), "2019-02-31"),
                "line 4: time '2019-02-31' is not a date YYYY-MM-DD"},
        BadCase{"day twice",
                "<Cube>\n<Cube time='2024-05-17'/>\n<Cube time='2024-05-17'/>\n</Cube>",
                "line 3: day 2024-05-17 appears twice (first on line 2)"},
        BadCase{"entity expansion",
                "<!DOCTYPE e [<!ENTITY a 'aaaaaaaaaa'><!ENTITY b '&a;&a;&a;&a;'>]>\n"
                "<Cube><Cube time='2024-05-17'><Cube currency='USD' rate='&b;'/></Cube></Cube>",
                "line 1: document type declarations are not accepted"}));

TEST(MakeUpdateList, OnlyTheNewestDayIsChecked) {
    // older days are not written, so their rates do not stop the list
    const std::string xml =
        "<Cube>\n<Cube time='2024-05-16'><Cube currency='USD' rate='n/a'/></Cube>\n"
        "<Cube time='2024-05-17'><Cube currency='USD' rate='1.08'/></Cube>\n</Cube>";
    const FeedResult result = MakeUpdateList(xml, {});
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(RecordOf(result.list, "USD"), "USD\t10800\tUSD");
}

// ---- names tables ----

TEST(LoadCurrencyNames, ReadsCodesAndNamesKeepingTheFirst) {
    const NamesResult loaded = LoadCurrencyNames(
        R"({"4217": [{"alpha_3": "PLN", "name": "Zloty", "numeric": "985"},
                     {"alpha_3": "ISK", "name": "Iceland Kr\u00f3na"},
                     {"alpha_3": "PLN", "name": "Other"}], "other": 1})");
    ASSERT_TRUE(loaded.ok) << loaded.error;
    EXPECT_EQ(loaded.names.Size(), 2u);
    ASSERT_NE(loaded.names.Find("PLN"), nullptr);
    EXPECT_EQ(*loaded.names.Find("PLN"), "Zloty");
    ASSERT_NE(loaded.names.Find("ISK"), nullptr);
    EXPECT_EQ(*loaded.names.Find("ISK"), "Iceland Kr\xc3\xb3na");
    EXPECT_EQ(loaded.names.Find("USD"), nullptr);
}

TEST(LoadCurrencyNames, RefusesTablesOfTheWrongShape) {
    const struct {
        const char* json;
        const char* error;
    } cases[] = {
        {"", "the names table is not valid JSON"},
        {"{\"4217\": [", "the names table is not valid JSON"},
        {"{\"4217\": [{\"alpha_3\": \"PLN\", \"name\": \"Z\xff\"}]}",
         "the names table is not valid JSON"},
        {"[]", "the names table is not a JSON object"},
        {"{}", "the names table has no \"4217\" array"},
        {"{\"4217\": {}}", "the names table has no \"4217\" array"},
        {"{\"4217\": [{\"alpha_3\": \"PLN\", \"name\": \"Zloty\"}, {\"alpha_3\": \"USD\"}]}",
         "the names table's entry 2 is not an object with string alpha_3 and name"},
        {"{\"4217\": [{\"alpha_3\": \"PLN\", \"name\": 985}]}",
         "the names table's entry 1 is not an object with string alpha_3 and name"},
        {"{\"4217\": [\"PLN\"]}",
         "the names table's entry 1 is not an object with string alpha_3 and name"},
    };
    for (const auto& c : cases) {
        const NamesResult loaded = LoadCurrencyNames(c.json);
        EXPECT_FALSE(loaded.ok) << c.json;
        EXPECT_EQ(loaded.error, c.error) << c.json;
    }
}

}  // namespace
}  // namespace feed
