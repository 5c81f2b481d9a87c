// The banks' documents as the tests write them: the ECB's rates file of any number of days
// and an NBP answer of any number of tables, in the shapes the banks publish.
#pragma once

#include <string>
#include <vector>

namespace bank_documents {

struct Quote {
    std::string code;
    std::string rate;
};

struct EcbDay {
    std::string date;
    std::vector<Quote> rates;
};

struct NbpTable {
    std::string number;
    std::string date;
    std::vector<Quote> mids;
};

// The ECB's file with the days in the order given (the 90-day file lists the newest first).
inline std::string EcbXml(const std::vector<EcbDay>& days) {
    std::string xml =
        "<gesmes:Envelope xmlns:gesmes=\"http://www.gesmes.org/xml/2002-08-01\" "
        "xmlns=\"http://www.ecb.int/vocabulary/2002-08-01/eurofxref\">\n<Cube>\n";
    for (const EcbDay& d : days) {
        xml += "<Cube time='" + d.date + "'>\n";
        for (const Quote& q : d.rates) {
            xml += "<Cube currency='" + q.code + "' rate='" + q.rate + "'/>\n";
        }
        xml += "</Cube>\n";
    }
    return xml + "</Cube>\n</gesmes:Envelope>\n";
}

// An answer of the NBP: tables of letter `letter` ("A" or "B"), in the order given.
inline std::string NbpXml(const std::string& letter, const std::vector<NbpTable>& tables) {
    std::string xml = "<ArrayOfExchangeRatesTable>\n";
    for (const NbpTable& t : tables) {
        xml += "<ExchangeRatesTable><Table>" + letter + "</Table><No>" + t.number +
               "</No><EffectiveDate>" + t.date + "</EffectiveDate><Rates>\n";
        for (const Quote& m : t.mids) {
            xml += "<Rate><Currency>waluta</Currency><Code>" + m.code + "</Code><Mid>" + m.rate +
                   "</Mid></Rate>\n";
        }
        xml += "</Rates></ExchangeRatesTable>\n";
    }
    return xml + "</ArrayOfExchangeRatesTable>\n";
}

}  // namespace bank_documents
