#include <nlohmann/json.hpp>

#include "Names.h"

namespace feed {

namespace {

bool IsStringMember(const nlohmann::json& entry, const char* key) {
    const auto it = entry.find(key);
    return it != entry.end() && it->is_string();
}

}  // namespace

NamesResult LoadCurrencyNames(std::string_view jsonText) {
    const nlohmann::json doc = nlohmann::json::parse(jsonText, nullptr, false);
    if (doc.is_discarded()) return {false, {}, "the names table is not valid JSON"};
    if (!doc.is_object()) return {false, {}, "the names table is not a JSON object"};
    const auto table = doc.find("4217");
    if (table == doc.end() || !table->is_array()) {
        return {false, {}, "the names table has no \"4217\" array"};
    }
    NamesResult result{true, {}, {}};
    for (std::size_t i = 0; i < table->size(); ++i) {
        const nlohmann::json& entry = (*table)[i];
        if (!entry.is_object() || !IsStringMember(entry, "alpha_3") ||
            !IsStringMember(entry, "name")) {
            return {false,
                    {},
                    "the names table's entry " + std::to_string(i + 1) +
                        " is not an object with string alpha_3 and name"};
        }
        result.names.Add(entry["alpha_3"].get<std::string>(), entry["name"].get<std::string>());
    }
    return result;
}

}  // namespace feed
