// The currencies of the built-in default table (resources/defaults.inc), in entry order, as
// written there: code, name and the rate's text ("1.95583": the table stores it rounded).
#pragma once

#include <string_view>

struct DefaultCurrency {
    std::string_view code;
    std::string_view name;
    std::string_view value;
};

inline constexpr DefaultCurrency kDefaultCurrencies[] = {
#define PECUN_COUNT(text)
#define PECUN_SLOT(j, text)
#define PECUN_CURRENCY(i, code, name, value) {code, name, value},
#include "resources/defaults.inc"
#undef PECUN_COUNT
#undef PECUN_SLOT
#undef PECUN_CURRENCY
};
