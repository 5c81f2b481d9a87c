// A settings store kept in memory: the headless peer's store, and the tests'.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "Services.h"

namespace tk {

class MemorySettings : public SettingsStore {
public:
    std::string ReadSetting(std::string_view app, std::string_view section, std::string_view key,
                            std::string_view fallback) override;
    bool WriteSetting(std::string_view app, std::string_view section, std::string_view key,
                      std::string_view text) override;

    // Keys are "app\section\key".
    std::unordered_map<std::string, std::string> values;
    // Every key written, in order, failed writes included.
    std::vector<std::string> writes;
    // Writes fail while this is true (nothing is stored).
    bool failWrites = false;
    // Writes of this one key fail too; empty for none.
    std::string failKey;

    static std::string Path(std::string_view app, std::string_view section, std::string_view key);
};

}  // namespace tk
