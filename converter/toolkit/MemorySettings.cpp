#include "MemorySettings.h"

namespace tk {

std::string MemorySettings::Path(std::string_view app, std::string_view section,
                                 std::string_view key) {
    std::string path(app);
    path += '\\';
    path += section;
    path += '\\';
    path += key;
    return path;
}

std::string MemorySettings::ReadSetting(std::string_view app, std::string_view section,
                                        std::string_view key, std::string_view fallback) {
    auto it = values.find(Path(app, section, key));
    return it == values.end() ? std::string(fallback) : it->second;
}

bool MemorySettings::WriteSetting(std::string_view app, std::string_view section,
                                  std::string_view key, std::string_view text) {
    writes.emplace_back(key);
    if (failWrites || (!failKey.empty() && key == failKey)) return false;
    values[Path(app, section, key)] = std::string(text);
    return true;
}

}  // namespace tk
