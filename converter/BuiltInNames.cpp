#include "BuiltInNames.h"

#include <string_view>

namespace feed {

namespace {

struct Named {
    std::string_view code;
    std::string_view name;
};

constexpr Named kDefaultTable[] = {
#define PECUN_COUNT(text)
#define PECUN_SLOT(j, text)
#define PECUN_CURRENCY(i, code, name, value) {code, name},
#include "resources/defaults.inc"
#undef PECUN_COUNT
#undef PECUN_SLOT
#undef PECUN_CURRENCY
};

constexpr Named kIso4217[] = {
#include "Iso4217Names.inc"
};

}  // namespace

const CurrencyNames& BuiltInCurrencyNames() {
    static const CurrencyNames names = [] {
        CurrencyNames n;
        for (const Named& c : kDefaultTable) n.Add(std::string(c.code), std::string(c.name));
        for (const Named& c : kIso4217) n.Add(std::string(c.code), std::string(c.name));
        return n;
    }();
    return names;
}

}  // namespace feed
