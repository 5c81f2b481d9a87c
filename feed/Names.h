// pecun-feed's currency names: the ISO 4217 table of iso-codes.
#pragma once

#include <string>
#include <string_view>

#include "RatesFeed.h"

namespace feed {

struct NamesResult {
    bool ok = false;
    CurrencyNames names;
    std::string error;  // when !ok
};

// Reads an ISO 4217 table in the iso-codes JSON shape:
//   {"4217": [{"alpha_3": "PLN", "name": "Zloty", "numeric": "985"}, ...]}
// Every entry must be an object with string members alpha_3 and name; other members are
// ignored. Anything else (not JSON, no "4217" array, a malformed entry) is an error.
NamesResult LoadCurrencyNames(std::string_view jsonText);

}  // namespace feed
