#include "BuiltInNames.h"

#include <string_view>

#include "DefaultCurrencies.h"

namespace feed {

namespace {

struct Named {
    std::string_view code;
    std::string_view name;
};

constexpr Named kIso4217[] = {
#include "Iso4217Names.inc"
};

}  // namespace

const CurrencyNames& BuiltInCurrencyNames() {
    static const CurrencyNames names = [] {
        CurrencyNames n;
        for (const DefaultCurrency& c : kDefaultCurrencies) {
            n.Add(std::string(c.code), std::string(c.name));
        }
        for (const Named& c : kIso4217) n.Add(std::string(c.code), std::string(c.name));
        return n;
    }();
    return names;
}

}  // namespace feed
