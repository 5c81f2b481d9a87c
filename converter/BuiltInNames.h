// The currency names the converter has built in, for the records of an update list it makes
// itself from the banks' files.
#pragma once

#include "RatesFeed.h"

namespace feed {

// By code: the default table's names (resources/defaults.inc) first, then ISO 4217's English
// name of every active code (generated at build time from iso-codes' table), the first
// name given for a code standing. A code in neither has no name here, so a list writes the
// code for it (ListName). Made on the first call; lives as long as the program.
const CurrencyNames& BuiltInCurrencyNames();

}  // namespace feed
