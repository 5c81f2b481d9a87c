// The peer's XML reader: the central bank's files and the faults a reader must refuse give
// the same outcome through expat (natively) and XmlLite (under Wine).
#include <gtest/gtest.h>

#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "PeerFixture.h"
#include "RatesFeed.h"

namespace {

std::string TestData(const std::string& name) {
    std::string path = std::string(PECUN_FEED_TESTDATA) + "/" + name;
#ifdef _WIN32
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    path.insert(0, "Z:");  // the machine's own file system in the prefix
#endif
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << "cannot open " << path;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class XmlContract : public testing::Test {
protected:
    void SetUp() override {
        peer_ = contract::MakePeerFixture();
        reader_ = tk::Services().xml;
        ASSERT_NE(reader_, nullptr) << "the peer has no XML reader";
    }
    feed::FeedResult ListOf(const std::string& xml) {
        return feed::MakeUpdateList(xml, *reader_, feed::CurrencyNames{});
    }

    std::unique_ptr<contract::PeerFixture> peer_;
    tk::XmlReader* reader_ = nullptr;
};

TEST_F(XmlContract, TheBanksFilesGiveTheirNewestDaysList) {
    const struct {
        const char* xml;
        const char* list;
    } files[] = {
        {"eurofxref-daily-2019-04-11.xml", "eurofxref-2019-04-11-codes-as-names.list"},
        {"eurofxref-hist-90d-2019-04-11.xml", "eurofxref-2019-04-11-codes-as-names.list"},
        {"eurofxref-hist-shuffled.xml", "eurofxref-hist-shuffled-codes-as-names.list"},
    };
    for (const auto& f : files) {
        const feed::FeedResult result = ListOf(TestData(f.xml));
        ASSERT_TRUE(result.ok) << f.xml << ": " << result.error;
        EXPECT_EQ(result.list, TestData(f.list)) << f.xml;
    }
}

// Byte order marks, character references, other namespaces and quoting: the same day.
TEST_F(XmlContract, TheSameDayWhateverTheDocumentsSpelling) {
    const std::string expectedHead =
        "ECB euro reference rates of 2024-05-17\nEUR\t10000\tEUR\nUSD\t10845\tUSD\n"
        "JPY\t1690000\tJPY\n";
    const char* documents[] = {
        "<gesmes:Envelope xmlns:gesmes='http://www.gesmes.org/xml/2002-08-01' "
        "xmlns='http://www.ecb.int/vocabulary/2002-08-01/eurofxref'><Cube>"
        "<Cube time='2024-05-17'><Cube currency='USD' rate='1.0845'/>"
        "<Cube currency='JPY' rate='169.00'/></Cube></Cube></gesmes:Envelope>",
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Cube>\r\n"
        "<Cube time=\"2024-05-17\">\r\n<Cube currency=\"USD\" rate=\"1.0845\"></Cube>\r\n"
        "<Cube currency=\"JPY\" rate=\"169.00\" />\r\n</Cube>\r\n</Cube>\r\n",
        "<x:Cube xmlns:x='urn:rates'><!-- a comment --><x:Cube time='2024-05-17'>"
        "<x:Cube currency='&#85;SD' rate='1.08&#52;5'/><![CDATA[ text ]]>"
        "<x:Cube currency='JPY' rate='169.00'/></x:Cube></x:Cube>",
    };
    for (const char* xml : documents) {
        const feed::FeedResult result = ListOf(xml);
        ASSERT_TRUE(result.ok) << result.error << "\n" << xml;
        EXPECT_EQ(result.list.substr(0, expectedHead.size()), expectedHead) << xml;
    }
}

TEST_F(XmlContract, DocumentsAReaderMustRefuseGiveNoList) {
    const struct {
        const char* name;
        std::string xml;
    } cases[] = {
        {"empty", ""},
        {"not XML", "USD 1.1264\n"},
        {"an unclosed element", "<Cube><Cube time='2024-05-17'><Cube currency='USD' rate='1'/>"},
        {"a mismatched tag", "<Cube><Cube time='2024-05-17'></Cub></Cube>"},
        {"two roots", "<Cube/><Cube/>"},
        {"a document type with an entity",
         "<!DOCTYPE Cube [<!ENTITY r '1.1'>]><Cube><Cube time='2024-05-17'>"
         "<Cube currency='USD' rate='&r;'/></Cube></Cube>"},
        {"text after the root", "<Cube/>and more"},
        {"only blanks", " \r\n "},
        {"a file cut inside an attribute",
         TestData("eurofxref-daily-2019-04-11.xml").substr(0, 890)},
        {"a file cut after an element",
         TestData("eurofxref-daily-2019-04-11.xml").substr(0, 900)},
    };
    for (const auto& c : cases) {
        const feed::FeedResult result = ListOf(c.xml);
        EXPECT_FALSE(result.ok) << c.name << " gave a list:\n" << result.list;
        EXPECT_TRUE(result.list.empty()) << c.name;
        EXPECT_FALSE(result.error.empty()) << c.name;
    }
}

// Non-ASCII attribute text comes through as UTF-8, so that a name or code is judged alike.
TEST_F(XmlContract, AttributeTextArrivesAsUtf8) {
    const feed::FeedResult result =
        ListOf("<Cube><Cube time='2024-05-17'><Cube currency='Z\xC5\x81T' rate='4.3'/>"
               "</Cube></Cube>");
    ASSERT_FALSE(result.ok);
    EXPECT_NE(result.error.find("'Z\xC5\x81T'"), std::string::npos) << result.error;
}

// Elements and their text as one line: <name> opens, </> closes, text stands in quotes,
// its pieces joined.
class Recorder : public tk::XmlHandler {
public:
    bool StartElement(std::string_view, std::string_view name, std::span<const tk::XmlAttribute>,
                      std::uint64_t) override {
        Flush();
        events.append("<").append(name).append(">");
        return true;
    }
    bool EndElement() override {
        Flush();
        events.append("</>");
        return true;
    }
    bool Text(std::string_view text) override {
        text_.append(text);
        ++pieces;
        return pieces < stopAfter;
    }
    void Flush() {
        if (!text_.empty()) events.append("'").append(text_).append("'");
        text_.clear();
    }

    std::string events;
    int pieces = 0;
    int stopAfter = std::numeric_limits<int>::max();

private:
    std::string text_;
};

TEST_F(XmlContract, ElementTextArrivesResolvedAndJoined) {
    const struct {
        const char* what;
        std::string xml;
        std::string events;
    } cases[] = {
        {"a table's rate", "<Rate><Code>NGN</Code><Mid>0.002612</Mid></Rate>",
         "<Rate><Code>'NGN'</><Mid>'0.002612'</></>"},
        {"entities, references and CDATA", "<a>x&amp;y<![CDATA[<z>]]>&#x142;&#65;</a>",
         "<a>'x&y<z>\xC5\x82"
         "A'</>"},
        {"comments and instructions are no text", "<a>x<!-- c -->y<?pi z?>z</a>", "<a>'xyz'</>"},
        {"blanks between elements, CR LF as LF, nothing outside the root",
         "<?xml version='1.0'?>\r\n<a>\r\n <b>t</b>\r\n<c/></a>\r\n",
         "<a>'\n '<b>'t'</>'\n'<c></></>"},
        {"UTF-8 text", "<a>Z\xC5\x81T</a>", "<a>'Z\xC5\x81T'</>"},
        {"a long text", "<a>" + std::string(300000, 'x') + "</a>",
         "<a>'" + std::string(300000, 'x') + "'</>"},
    };
    for (const auto& c : cases) {
        Recorder recorder;
        const tk::XmlResult result = reader_->Read(c.xml, recorder);
        ASSERT_TRUE(result.ok) << c.what << ": " << result.error;
        recorder.Flush();
        EXPECT_EQ(recorder.events, c.events) << c.what;
    }
}

TEST_F(XmlContract, TheTextHandlerStopsTheReading) {
    Recorder recorder;
    recorder.stopAfter = 1;
    const tk::XmlResult result = reader_->Read("<a>x<b/>y<c/>z</a>", recorder);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(recorder.pieces, 1);
}

}  // namespace
