// The NBP's tables and the list made of both banks: reading a table, which tables count as
// answered, the merge of the rates, its header and each record's source.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "BuiltInNames.h"
#include "NbpTables.h"
#include "RatesMerge.h"
#include "TestFiles.h"
#include "toolkit/expat/ExpatXml.h"

namespace feed {
namespace {

using test::ReadTestData;
using test::Lines;
using test::RecordOf;

const char* const kEcbFile = "eurofxref-daily-2024-12-11.xml";
const char* const kTableAFile = "nbp-tables-a-2024-12-05-2024-12-11.xml";
const char* const kTableBFile = "nbp-table-b-2024-12-11.xml";

nbp::Reading ReadTables(std::string_view xml) {
    tk::ExpatXmlReader reader;
    return nbp::ReadTables(xml, reader);
}

ParsedRates ParseEcb(std::string_view xml) {
    tk::ExpatXmlReader reader;
    return ParseRatesXml(xml, reader);
}

// ---- documents written in the tests ----

struct Row {
    std::string code;
    std::string mid;
};

std::string TableXml(const std::string& letter, const std::string& number, const std::string& date,
                     const std::vector<Row>& rows) {
    std::string xml = "<ExchangeRatesTable><Table>" + letter + "</Table><No>" + number +
                      "</No><EffectiveDate>" + date + "</EffectiveDate><Rates>\n";
    for (const Row& r : rows) {
        xml += "<Rate><Currency>waluta</Currency><Code>" + r.code + "</Code><Mid>" + r.mid +
               "</Mid></Rate>\n";
    }
    return xml + "</Rates></ExchangeRatesTable>\n";
}

std::string ArrayXml(const std::string& tables) {
    return "<ArrayOfExchangeRatesTable xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\">\n" + tables +
           "</ArrayOfExchangeRatesTable>";
}

const std::vector<Row> kRowsA = {{"USD", "4.0639"}, {"EUR", "4.2722"}, {"UAH", "0.0976"}};
const std::vector<Row> kRowsB = {{"AED", "1.107"}, {"NGN", "0.002612"}};

std::string TableA(const std::vector<Row>& rows = kRowsA, const std::string& date = "2024-12-11",
                   const std::string& number = "242/A/NBP/2024") {
    return ArrayXml(TableXml("A", number, date, rows));
}

std::string TableB(const std::vector<Row>& rows = kRowsB, const std::string& date = "2024-12-11") {
    return ArrayXml(TableXml("B", "050/B/NBP/2024", date, rows));
}

std::vector<Row> With(std::vector<Row> rows, const Row& row) {
    rows.push_back(row);
    return rows;
}

// ---- reading ----

TEST(NbpReadTables, ReadsEveryTableWithItsFieldsInOrder) {
    const nbp::Reading b = ReadTables(ReadTestData(kTableBFile));
    ASSERT_TRUE(b.ok) << b.error;
    ASSERT_EQ(b.tables.size(), 1u);
    const nbp::Table& table = b.tables[0];
    EXPECT_EQ(table.letter, "B");
    EXPECT_EQ(table.number, "050/B/NBP/2024");
    EXPECT_EQ(table.effectiveDate, "2024-12-11");
    EXPECT_EQ(table.fault, "");
    ASSERT_EQ(table.rates.size(), 115u);
    EXPECT_EQ(table.rates[0].code, "AFN");
    EXPECT_EQ(table.rates[0].mid, "0.0589");
    EXPECT_EQ(table.rates[0].line, 3u);

    const nbp::Reading a = ReadTables(ReadTestData(kTableAFile));
    ASSERT_TRUE(a.ok) << a.error;
    std::vector<std::string> numbers;
    for (const nbp::Table& t : a.tables) numbers.push_back(t.number + " " + t.effectiveDate);
    EXPECT_EQ(numbers,
              (std::vector<std::string>{"238/A/NBP/2024 2024-12-05", "239/A/NBP/2024 2024-12-06",
                                        "240/A/NBP/2024 2024-12-09", "241/A/NBP/2024 2024-12-10",
                                        "242/A/NBP/2024 2024-12-11"}));
    EXPECT_EQ(a.tables[4].rates.size(), 33u);
}

TEST(NbpReadTables, FieldsByLocalNameTheirTextWhole) {
    const nbp::Reading reading = ReadTables(
        "<n:ArrayOfExchangeRatesTable xmlns:n='urn:nbp'>\n<n:ExchangeRatesTable>"
        "<n:Table>C</n:Table><n:No>1/C</n:No><n:TradingDate>2024-12-10</n:TradingDate>"
        "<n:EffectiveDate>2024-12-11</n:EffectiveDate><n:Rates>\n"
        "<n:Rate><n:Currency>dolar <b>x</b></n:Currency><n:Code>U&#83;D</n:Code>"
        "<n:Bid>4.0</n:Bid><n:Mid><![CDATA[4.06]]>39</n:Mid></n:Rate>\n"
        "<n:Rate><n:Code> EUR</n:Code><n:Mid>4.2722<!-- note --></n:Mid></n:Rate>\n"
        "</n:Rates></n:ExchangeRatesTable></n:ArrayOfExchangeRatesTable>");
    ASSERT_TRUE(reading.ok) << reading.error;
    ASSERT_EQ(reading.tables.size(), 1u);
    const nbp::Table& t = reading.tables[0];
    EXPECT_EQ(t.letter + "|" + t.number + "|" + t.effectiveDate, "C|1/C|2024-12-11");
    ASSERT_EQ(t.rates.size(), 2u);
    EXPECT_EQ(t.rates[0].code + "=" + t.rates[0].mid, "USD=4.0639");
    EXPECT_EQ(t.rates[1].code + "=" + t.rates[1].mid, " EUR=4.2722");
    EXPECT_EQ(t.rates[1].line, 4u);
}

TEST(NbpReadTables, DocumentsThatAreNoTables) {
    const struct {
        const char* what;
        std::string xml;
        std::string error;
    } cases[] = {
        {"empty", "", "line 1: not well-formed XML: no element found"},
        {"text", "NGN 0.002612", "line 1: not well-formed XML: syntax error"},
        {"cut short", TableA().substr(0, 120), "line 2: not well-formed XML: no element found"},
        {"another root", "<ExchangeRatesTable><Table>A</Table></ExchangeRatesTable>",
         "line 1: the root element is <ExchangeRatesTable>, not <ArrayOfExchangeRatesTable>"},
        {"the ECB's file", ReadTestData(kEcbFile),
         "line 2: the root element is <Envelope>, not <ArrayOfExchangeRatesTable>"},
        {"a document type", "<!DOCTYPE a [<!ENTITY m '4.2722'>]><ArrayOfExchangeRatesTable/>",
         "line 1: document type declarations are not accepted"},
    };
    for (const auto& c : cases) {
        const nbp::Reading reading = ReadTables(c.xml);
        EXPECT_FALSE(reading.ok) << c.what;
        EXPECT_TRUE(reading.tables.empty()) << c.what;
        EXPECT_EQ(reading.error, c.error) << c.what;
    }
    const nbp::Reading none = ReadTables("<ArrayOfExchangeRatesTable/>");
    EXPECT_TRUE(none.ok) << none.error;
    EXPECT_TRUE(none.tables.empty());
}

TEST(NbpReadTables, FaultsOfFormStayWithTheirTable) {
    const struct {
        const char* what;
        std::string table;
        std::string fault;
    } cases[] = {
        {"a second number",
         "<ExchangeRatesTable><Table>A</Table><No>1</No>\n<No>2</No></ExchangeRatesTable>",
         "line 3: a second <No>"},
        {"a rate without a mid",
         "<ExchangeRatesTable><Rates>\n<Rate><Code>USD</Code></Rate></Rates></ExchangeRatesTable>",
         "line 3: a Rate without a Mid"},
        {"a rate without a code",
         "<ExchangeRatesTable><Rates>\n<Rate><Mid>1</Mid></Rate></Rates></ExchangeRatesTable>",
         "line 3: a Rate without a Code"},
        {"a code twice in a rate",
         "<ExchangeRatesTable><Rates>\n<Rate><Code>USD</Code>\n<Code>GBP</Code><Mid>1</Mid>"
         "</Rate></Rates></ExchangeRatesTable>",
         "line 4: a second <Code>"},
        {"two lists of rates", "<ExchangeRatesTable><Rates/>\n<Rates/></ExchangeRatesTable>",
         "line 3: a second <Rates>"},
    };
    for (const auto& c : cases) {
        const nbp::Reading reading =
            ReadTables(ArrayXml(c.table + TableXml("B", "1", "2024-12-11", kRowsB)));
        ASSERT_TRUE(reading.ok) << c.what << ": " << reading.error;
        ASSERT_EQ(reading.tables.size(), 2u) << c.what;
        EXPECT_EQ(reading.tables[0].fault, c.fault) << c.what;
        EXPECT_EQ(reading.tables[1].fault, "") << c.what;
    }
}

// ---- which tables answer ----

struct Answered {
    nbp::Answer answer;
    explicit Answered(const std::string* a, const std::string* b) {
        nbp::Reading readA, readB;
        if (a != nullptr) readA = ReadTables(*a);
        if (b != nullptr) readB = ReadTables(*b);
        answer = nbp::AnswerOf(a ? &readA : nullptr, b ? &readB : nullptr);
    }
};

std::string Rates(const std::optional<nbp::AnsweredTable>& table) {
    if (!table) return "none";
    std::string text = table->number + " " + table->effectiveDate + ":";
    for (const nbp::CrossRateOf& r : table->rates)
        text += " " + r.code + "=" + std::to_string(r.rate);
    return text;
}

TEST(NbpAnswer, TableAGivesPlnInTheEurosPlaceAndTableBTheRest) {
    const std::string a = TableA(With(kRowsA, {"PLN", "1"}));
    const std::string b = TableB(
        {{"AED", "1.107"}, {"EUR", "4.27"}, {"UAH", "0.09"}, {"PLN", "1"}, {"NGN", "0.002612"}});
    const Answered both(&a, &b);
    EXPECT_EQ(Rates(both.answer.a), "242/A/NBP/2024 2024-12-11: USD=10513 PLN=42722 UAH=437725");
    EXPECT_EQ(Rates(both.answer.b), "050/B/NBP/2024 2024-12-11: AED=38593 NGN=16356049");
    EXPECT_EQ(both.answer.aError, "");
    EXPECT_EQ(both.answer.bError, "");

    const Answered aAlone(&a, nullptr);
    EXPECT_EQ(Rates(aAlone.answer.a), Rates(both.answer.a));
    const Answered bAlone(nullptr, &b);
    EXPECT_EQ(Rates(bAlone.answer.b), "none");
    EXPECT_EQ(bAlone.answer.bError, "table B: there is no table A to convert it with");
}

TEST(NbpAnswer, TableAIsTheNewestOfTheSevenDaysUpToTableB) {
    const std::string range = ReadTestData(kTableAFile);
    const struct {
        std::string bDate;
        std::string a;  // the table A used, or "none"
        std::string aError;
    } cases[] = {
        {"2024-12-11", "242/A/NBP/2024 2024-12-11", ""},
        {"2024-12-12", "242/A/NBP/2024 2024-12-11", ""},
        {"2024-12-17", "242/A/NBP/2024 2024-12-11", ""},
        {"2024-12-18", "none",
         "table A: table A 242/A/NBP/2024 of 2024-12-11 is more than 6 days older than table B "
         "050/B/NBP/2024 of 2024-12-18"},
        {"2024-12-10", "none",
         "table A: table A 242/A/NBP/2024 of 2024-12-11 is newer than table B 050/B/NBP/2024 of "
         "2024-12-10"},
    };
    for (const auto& c : cases) {
        const std::string b = TableB(kRowsB, c.bDate);
        const Answered answered(&range, &b);
        const std::string used =
            answered.answer.a ? answered.answer.a->number + " " + answered.answer.a->effectiveDate
                              : "none";
        EXPECT_EQ(used, c.a) << "table B of " << c.bDate;
        EXPECT_EQ(answered.answer.aError, c.aError) << "table B of " << c.bDate;
        EXPECT_EQ(answered.answer.b.has_value(), c.aError.empty()) << "table B of " << c.bDate;
    }
}

TEST(NbpAnswer, ABadTableAddsNothing) {
    const struct {
        const char* what;
        std::string a;
        std::string b;
        std::string aError;  // "" when table A is used
        std::string bError;  // "" when table B is used
    } cases[] = {
        {"both good", TableA(), TableB(), "", ""},
        {"B: a mid of zero", TableA(), TableB(With(kRowsB, {"VND", "0.0000"})), "",
         "table B: line 5: mid '0.0000' of VND is zero"},
        {"B: a negative mid", TableA(), TableB(With(kRowsB, {"VND", "-0.00016"})), "",
         "table B: line 5: mid '-0.00016' of VND is not a plain decimal number such as 4.2722"},
        {"B: an unreadable mid", TableA(), TableB(With(kRowsB, {"VND", "1,6E-4"})), "",
         "table B: line 5: mid '1,6E-4' of VND is not a plain decimal number such as 4.2722"},
        {"B: an empty mid", TableA(), TableB(With(kRowsB, {"VND", ""})), "",
         "table B: line 5: mid '' of VND is not a plain decimal number such as 4.2722"},
        {"B: a code twice", TableA(), TableB(With(kRowsB, {"AED", "1.107"})), "",
         "table B: line 5: AED appears twice (first on line 3)"},
        {"B: a code that is none", TableA(), TableB(With(kRowsB, {"ngn", "1"})), "",
         "table B: line 5: currency code 'ngn' is not three capital letters A-Z"},
        {"B: a rate per euro above 2^53", TableA(), TableB(With(kRowsB, {"VND", "0.000000000001"})),
         "",
         "table B: line 5: mid '0.000000000001' of VND gives no rate per euro from 1 to 2^53 "
         "ten-thousandths"},
        {"B: a rate per euro of 0", TableA(), TableB(With(kRowsB, {"XAU", "90000"})), "",
         "table B: line 5: mid '90000' of XAU gives no rate per euro from 1 to 2^53 "
         "ten-thousandths"},
        {"B: not XML", TableA(), "<html><body>502 Bad Gateway</body></html>", "",
         "table B: line 1: the root element is <html>, not <ArrayOfExchangeRatesTable>"},
        {"B: no table", TableA(), ArrayXml(""), "", "table B: the answer holds no table"},
        {"B: table A in its place", TableA(), TableA(), "",
         "table B: line 2: the table is 'A', not B"},
        {"B: no rates", TableA(), TableB({}), "", "table B: line 2: the table holds no rates"},
        {"B: a fault of form", TableA(),
         ArrayXml("<ExchangeRatesTable><Table>B</Table><No>1</No><No>2</No>"
                  "<EffectiveDate>2024-12-11</EffectiveDate></ExchangeRatesTable>"),
         "", "table B: line 2: a second <No>"},
        {"A: no EUR", TableA({{"USD", "4.0639"}}), TableB(),
         "table A: 242/A/NBP/2024 of 2024-12-11 has no EUR",
         "table B: there is no table A to convert it with"},
        {"A: a mid of zero", TableA(With(kRowsA, {"GBP", "0"})), TableB(),
         "table A: line 6: mid '0' of GBP is zero",
         "table B: there is no table A to convert it with"},
        {"A: the euro's mid zero", TableA({{"EUR", "0.0"}}), TableB(),
         "table A: line 3: mid '0.0' of EUR is zero",
         "table B: there is no table A to convert it with"},
        {"A: a code twice", TableA(With(kRowsA, {"USD", "4.0639"})), TableB(),
         "table A: line 6: USD appears twice (first on line 3)",
         "table B: there is no table A to convert it with"},
        {"A: newer than B", TableA(kRowsA, "2024-12-12"), TableB(),
         "table A: table A 242/A/NBP/2024 of 2024-12-12 is newer than table B 050/B/NBP/2024 of "
         "2024-12-11",
         "table B: there is no table A to convert it with"},
        {"A: no real date", TableA(kRowsA, "2024-02-30"), TableB(),
         "table A: line 2: the effective date '2024-02-30' is not a date YYYY-MM-DD",
         "table B: there is no table A to convert it with"},
        {"A: a date with a time", TableA(kRowsA, "2024-12-11T00:00:00"), TableB(),
         "table A: line 2: the effective date '2024-12-11T00:00:00' is not a date YYYY-MM-DD",
         "table B: there is no table A to convert it with"},
        {"A: no number", TableA(kRowsA, "2024-12-11", ""), TableB(),
         "table A: line 2: the table's number '' is not 1 to 40 printable characters",
         "table B: there is no table A to convert it with"},
        {"A: a number with a blank", TableA(kRowsA, "2024-12-11", "242/A NBP"), TableB(),
         "table A: line 2: the table's number '242/A NBP' is not 1 to 40 printable characters",
         "table B: there is no table A to convert it with"},
        {"A: not XML", "{\"table\": \"A\"}", TableB(),
         "table A: line 1: not well-formed XML: not well-formed (invalid token)",
         "table B: there is no table A to convert it with"},
    };
    for (const auto& c : cases) {
        const Answered answered(&c.a, &c.b);
        EXPECT_EQ(answered.answer.aError, c.aError) << c.what;
        EXPECT_EQ(answered.answer.bError, c.bError) << c.what;
        EXPECT_EQ(answered.answer.a.has_value(), c.aError.empty()) << c.what;
        EXPECT_EQ(answered.answer.b.has_value(), c.bError.empty()) << c.what;
    }
}

// ---- the merged list ----


std::string SourceOf(const MergedList& merged, const std::string& code) {
    for (const RecordSource& s : merged.sources) {
        if (s.code != code) continue;
        switch (s.source.kind) {
            case RateSourceKind::Euro:
                return "euro";
            case RateSourceKind::Ecb:
                return "ECB " + s.source.date;
            case RateSourceKind::Nbp:
                return "NBP " + s.source.table + " " + s.source.date;
        }
    }
    return "";
}

// The banks' fixture files, each of them or none.
struct Fixtures {
    std::string ecb = ReadTestData(kEcbFile);
    std::string a = ReadTestData(kTableAFile);
    std::string b = ReadTestData(kTableBFile);
};

MergedList Merge(const std::optional<std::string>& ecb, const std::optional<std::string>& a,
                 const std::optional<std::string>& b,
                 const CurrencyNames& names = BuiltInCurrencyNames()) {
    const auto view = [](const std::optional<std::string>& text) {
        return text ? std::optional<std::string_view>(*text) : std::nullopt;
    };
    tk::ExpatXmlReader reader;
    return MergeDocuments({view(ecb), view(a), view(b)}, reader, names);
}

void ExpectSourcesFollowTheList(const MergedList& merged) {
    const std::vector<std::string> lines = Lines(merged.list);
    ASSERT_EQ(merged.sources.size() + 1, lines.size());
    for (std::size_t i = 0; i < merged.sources.size(); ++i) {
        EXPECT_EQ(lines[i + 1].substr(0, 4), merged.sources[i].code + "\t") << i;
    }
}

TEST(MergeRates, BothBanksOneRatePerCurrency) {
    const Fixtures f;
    const MergedList merged = Merge(f.ecb, f.a, f.b);
    ASSERT_TRUE(merged.ok) << merged.error;
    EXPECT_EQ(merged.ecbError + merged.tableAError + merged.tableBError, "");
    const std::vector<std::string> lines = Lines(merged.list);
    EXPECT_EQ(lines[0],
              "ECB euro reference rates of 2024-12-11; NBP tables 242/A/NBP/2024 and "
              "050/B/NBP/2024 of 2024-12-11");
    // the euro, the ECB's 30, table A's 3 that the ECB lacks, table B's 115, 20 former
    EXPECT_EQ(lines.size(), 1u + 1 + 30 + 3 + 115 + 20);
    ExpectSourcesFollowTheList(merged);

    const struct {
        const char* code;
        const char* record;
        const char* source;
    } expected[] = {
        {"EUR", "EUR\t10000\tEuropean Union euro", "euro"},
        {"USD", "USD\t10513\tUnited States dollar", "ECB 2024-12-11"},  // both list it
        {"PLN", "PLN\t42700\tZloty", "ECB 2024-12-11"},
        {"BGN", "BGN\t19558\tBulgarian lev", "ECB 2024-12-11"},
        {"UAH", "UAH\t437725\tHryvnia", "NBP 242/A/NBP/2024 2024-12-11"},
        {"XDR", "XDR\t8015\tSDR (Special Drawing Right)", "NBP 242/A/NBP/2024 2024-12-11"},
        {"NGN", "NGN\t16356049\tNaira", "NBP 050/B/NBP/2024 2024-12-11"},
        {"VND", "VND\t266330029\tDong", "NBP 050/B/NBP/2024 2024-12-11"},
        {"ZWG", "ZWG\t272288\tZWG", "NBP 050/B/NBP/2024 2024-12-11"},
        {"ATS", "ATS\t137603\tAustrian schilling", "euro"},
    };
    for (const auto& e : expected) {
        EXPECT_EQ(RecordOf(merged.list, e.code), e.record);
        EXPECT_EQ(SourceOf(merged, e.code), e.source) << e.code;
    }
}

TEST(MergeRates, WithoutTheEcbTheTablesGiveEveryCurrencyTheyHold) {
    const Fixtures f;
    for (const std::optional<std::string>& ecb :
         {std::optional<std::string>(), std::optional<std::string>("<Cube/>")}) {
        const MergedList merged = Merge(ecb, f.a, f.b);
        ASSERT_TRUE(merged.ok) << merged.error;
        EXPECT_EQ(merged.ecbError,
                  ecb ? "the document holds no day of rates (no Cube with a time)" : "");
        const std::vector<std::string> lines = Lines(merged.list);
        EXPECT_EQ(lines[0], "NBP tables 242/A/NBP/2024 and 050/B/NBP/2024 of 2024-12-11");
        // the euro, table A's 33 with PLN for EUR, table B's 115, 20 former (table A has BGN)
        EXPECT_EQ(lines.size(), 1u + 1 + 33 + 115 + 20);
        ExpectSourcesFollowTheList(merged);
        EXPECT_EQ(lines[1], "EUR\t10000\tEuropean Union euro");
        EXPECT_EQ(lines[2], "THB\t357207\tBaht");
        EXPECT_EQ(RecordOf(merged.list, "USD"), "USD\t10513\tUnited States dollar");
        EXPECT_EQ(RecordOf(merged.list, "PLN"), "PLN\t42722\tZloty");
        EXPECT_EQ(SourceOf(merged, "PLN"), "NBP 242/A/NBP/2024 2024-12-11");
        EXPECT_EQ(RecordOf(merged.list, "BGN"), "BGN\t19558\tBulgarian lev");
        EXPECT_EQ(RecordOf(merged.list, "NGN"), "NGN\t16356049\tNaira");
    }
}

TEST(MergeRates, WithoutTheNbpTheEcbsListAsBefore) {
    const Fixtures f;
    const FeedResult ecbAlone = UpdateListOf(ParseEcb(f.ecb), BuiltInCurrencyNames());
    ASSERT_TRUE(ecbAlone.ok) << ecbAlone.error;
    const struct {
        const char* what;
        std::optional<std::string> a, b;
        std::string aError, bError;
    } cases[] = {
        {"no answer", std::nullopt, std::nullopt, "", ""},
        {"table B alone", std::nullopt, f.b, "", "table B: there is no table A to convert it with"},
        {"a bad table A", TableA({{"EUR", "0"}}), f.b, "table A: line 3: mid '0' of EUR is zero",
         "table B: there is no table A to convert it with"},
        {"pages that are no tables", "Service unavailable", "<html/>",
         "table A: line 1: not well-formed XML: syntax error",
         "table B: line 1: the root element is <html>, not <ArrayOfExchangeRatesTable>"},
    };
    for (const auto& c : cases) {
        const MergedList merged = Merge(f.ecb, c.a, c.b);
        ASSERT_TRUE(merged.ok) << c.what << ": " << merged.error;
        EXPECT_EQ(merged.list, ecbAlone.list) << c.what;
        EXPECT_EQ(merged.tableAError, c.aError) << c.what;
        EXPECT_EQ(merged.tableBError, c.bError) << c.what;
        ExpectSourcesFollowTheList(merged);
        EXPECT_EQ(SourceOf(merged, "USD"), "ECB 2024-12-11") << c.what;
    }
}

TEST(MergeRates, TableAAloneAndTablesOfTwoDays) {
    const Fixtures f;
    const MergedList aAlone = Merge(f.ecb, f.a, TableB({{"NGN", "0"}}));
    ASSERT_TRUE(aAlone.ok) << aAlone.error;
    EXPECT_EQ(Lines(aAlone.list)[0],
              "ECB euro reference rates of 2024-12-11; NBP table 242/A/NBP/2024 of 2024-12-11");
    EXPECT_EQ(RecordOf(aAlone.list, "UAH"), "UAH\t437725\tHryvnia");
    EXPECT_EQ(RecordOf(aAlone.list, "NGN"), "");

    // Poland did not work on table B's day: table A of the day before, its euro for both
    const MergedList twoDays =
        Merge(std::nullopt, TableA(kRowsA, "2024-12-10", "241/A/NBP/2024"), f.b);
    ASSERT_TRUE(twoDays.ok) << twoDays.error;
    EXPECT_EQ(Lines(twoDays.list)[0],
              "NBP tables 241/A/NBP/2024 of 2024-12-10 and 050/B/NBP/2024 of 2024-12-11");
    EXPECT_EQ(RecordOf(twoDays.list, "NGN"), "NGN\t16356049\tNaira");
    EXPECT_EQ(SourceOf(twoDays, "NGN"), "NBP 050/B/NBP/2024 2024-12-11");
    EXPECT_EQ(SourceOf(twoDays, "UAH"), "NBP 241/A/NBP/2024 2024-12-10");
}

TEST(MergeRates, FailsOnlyWhenNoSourceGivesAnything) {
    const MergedList none = Merge(std::nullopt, std::nullopt, std::nullopt);
    EXPECT_FALSE(none.ok);
    EXPECT_EQ(none.error, "no bank's answer came");
    EXPECT_EQ(none.list, "");
    EXPECT_TRUE(none.sources.empty());

    const MergedList bad = Merge("<Cube/>", TableA({{"USD", "4.0639"}}), TableB());
    EXPECT_FALSE(bad.ok);
    EXPECT_EQ(bad.list, "");
    EXPECT_EQ(bad.error,
              "the document holds no day of rates (no Cube with a time); table A: "
              "242/A/NBP/2024 of 2024-12-11 has no EUR; table B: there is no table A to "
              "convert it with");
}

TEST(MergeRates, ANameThatWouldBreakTheListStopsItsTable) {
    CurrencyNames names;
    names.Add("NGN", "Naira\tNigeria");
    names.Add("EUR", "Euro");
    const Fixtures f;
    const MergedList merged = Merge(f.ecb, f.a, f.b, names);
    ASSERT_TRUE(merged.ok) << merged.error;
    EXPECT_EQ(merged.tableBError,
              "table B: the name of NGN holds a control character (TAB, LF, CR...)");
    EXPECT_EQ(Lines(merged.list)[0],
              "ECB euro reference rates of 2024-12-11; NBP table 242/A/NBP/2024 of 2024-12-11");
    EXPECT_EQ(RecordOf(merged.list, "AED"), "");
    EXPECT_EQ(RecordOf(merged.list, "UAH"), "UAH\t437725\tUAH");  // no name: the code

    names.Add("UAH", "Hryvnia\n");
    const MergedList noA = Merge(f.ecb, f.a, f.b, names);
    ASSERT_TRUE(noA.ok) << noA.error;
    EXPECT_EQ(noA.tableAError,
              "table A: the name of UAH holds a control character (TAB, LF, CR...)");
    EXPECT_EQ(noA.tableBError, "table B: there is no table A to convert it with");
}

// ---- the built-in names ----

TEST(BuiltInCurrencyNames, DefaultTableFirstThenIso4217ThenNone) {
    const CurrencyNames& names = BuiltInCurrencyNames();
    const struct {
        const char* code;
        const char* name;  // nullptr: none
    } cases[] = {
        {"USD", "United States dollar"},  // the default table's, not ISO's "US Dollar"
        {"EUR", "European Union euro"},
        {"NGN", "Naira"},
        {"PLN", "Zloty"},
        {"VES", "Bol\xC3\xADvar Soberano"},
        {"XYZ", nullptr},
        {"DEM", "German mark"},  // the default table's; ISO's list holds active codes only
    };
    for (const auto& c : cases) {
        const std::string* name = names.Find(c.code);
        if (c.name == nullptr) {
            EXPECT_EQ(name, nullptr) << c.code << " has the name " << *name;
        } else {
            ASSERT_NE(name, nullptr) << c.code;
            EXPECT_EQ(*name, c.name) << c.code;
        }
    }
    const std::string path = "/usr/share/iso-codes/json/iso_4217.json";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is not installed";
    const NamesResult iso = LoadCurrencyNames(test::ReadText(path));
    ASSERT_TRUE(iso.ok) << iso.error;
    for (const auto& [code, name] : iso.names) EXPECT_NE(names.Find(code), nullptr) << code;
}

}  // namespace
}  // namespace feed
