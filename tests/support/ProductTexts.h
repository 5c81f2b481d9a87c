// The converter's texts as the user reads them, written once for the tests that check them:
// the unit tests on the headless peer and the end-to-end tests of the real program. They are
// the product's own, spelling included ("converion", "lastest"): a test that finds them
// changed has found a change of the product.
#pragma once

#include <string>
#include <string_view>

namespace product {

// The first run's question.
inline constexpr char kFirstRunQuestion[] =
    "Do you want to download the latest conversion rates now?";

// The options dialog's question before it restores the defaults.
inline constexpr char kDefaultPrompt[] =
    "This will restore all currencies in the state when Pecunor was installed !\r\n"
    "Are you sure you want to continue ?";

// The update dialog's status: on opening, while fetching, after a success, after a failure.
inline constexpr char kLoadText[] =
    "This will get an update list of converion rates from the Internet. Make sure an internet "
    "connection is present and press Update.";
inline constexpr char kLastUpdateText[] = "\r\nThe lastest update was performed on ";
inline constexpr char kFetchingText[] = "Downloading updated list...";
inline constexpr char kSuccessText[] = "Update successful!\r\nNew rates from ";
inline constexpr char kFailureText[] =
    "Error !\r\nThe updated list could not be downloaded. Check your internet connection or try "
    "again later.";

// The age of the rates while no update was ever recorded.
inline constexpr char kBuiltInRates[] = "Built-in rates, never updated";
// The third line of a currency button's tip for a rate of the built-in table.
inline constexpr char kBuiltInRate[] = "Built-in rate";

// The status on opening once an update has been recorded on `date`, as the user's short
// date form writes it.
inline std::string LoadTextAfter(std::string_view date) {
    return std::string(kLoadText) + kLastUpdateText + std::string(date);
}

// The status after a successful update from the list whose header line is `header`.
inline std::string SuccessText(std::string_view header) {
    return kSuccessText + std::string(header);
}

// The history window: the item of a currency button's context menu, the line shown while
// fetching, after a failure and for a rate no bank published, and the caption's end.
inline constexpr char kHistoryItem[] = "&History...";
inline constexpr char kHistoryFetchingText[] = "Downloading rates...";
inline constexpr char kHistoryFailureText[] = "The rates' history could not be downloaded.";
inline constexpr char kNoHistoryText[] = "No history: this rate was not published by a bank.";
inline constexpr char kHistoryCaptionEnd[] = ", last 90 days";

}  // namespace product
