#include "Text.h"
#include "Win32.h"

namespace tk::win32 {
namespace {

std::wstring KeyPath(std::string_view app, std::string_view section) {
    std::wstring path = L"Software\\" + Widen(app);
    if (!section.empty()) path += L"\\" + Widen(section);
    return path;
}

// Deletes `path` under `root` with every key below it.
LONG DeleteTree(HKEY root, const std::wstring& path) {
    HKEY hkey = nullptr;
    LONG rc = RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | KEY_WRITE, &hkey);
    if (rc != ERROR_SUCCESS) return rc;
    wchar_t name[256];
    for (;;) {
        DWORD size = 256;
        if (RegEnumKeyExW(hkey, 0, name, &size, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        if (DeleteTree(hkey, name) != ERROR_SUCCESS) break;
    }
    RegCloseKey(hkey);
    return RegDeleteKeyW(root, path.c_str());
}

}  // namespace

RegistrySettings::~RegistrySettings() { CloseBatch(); }

void RegistrySettings::BeginBatch(std::string_view app, std::string_view section) {
    if (batchDepth_++ == 0) batchPath_ = KeyPath(app, section);
}

void RegistrySettings::EndBatch() {
    if (batchDepth_ == 0 || --batchDepth_ != 0) return;
    CloseBatch();
    batchPath_.clear();
}

void RegistrySettings::CloseBatch() {
    for (HKEY& key : batchKeys_) {
        if (key != nullptr) RegCloseKey(key);
        key = nullptr;
    }
}

HKEY RegistrySettings::Open(const std::wstring& path, bool create, bool& owned) {
    const bool batched = batchDepth_ > 0 && path == batchPath_;
    owned = !batched;
    // A read asks for reading alone (a key the user may only read serves every read), a
    // write for writing alone, so that neither right is needed for the other's work. Only a
    // write creates the key. A batch keeps each key it opened until it ends.
    HKEY& kept = batchKeys_[create ? 1 : 0];
    if (batched && kept != nullptr) return kept;
    HKEY hkey = nullptr;
    const LONG rc = create ? RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0,
                                             KEY_SET_VALUE, nullptr, &hkey, nullptr)
                           : RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE,
                                           &hkey);
    if (rc != ERROR_SUCCESS) return nullptr;
    if (batched) kept = hkey;
    return hkey;
}

std::string RegistrySettings::ReadSetting(std::string_view app, std::string_view section,
                                          std::string_view key, std::string_view fallback) {
    bool owned = false;
    HKEY hkey = Open(KeyPath(app, section), false, owned);
    if (hkey == nullptr) return std::string(fallback);
    const std::wstring name = Widen(key);
    // Most texts fit the first buffer: one query; a longer one is asked for again.
    std::wstring text(128, L'\0');
    DWORD type = 0;
    DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    LONG rc = RegQueryValueExW(hkey, name.c_str(), nullptr, &type,
                               reinterpret_cast<BYTE*>(text.data()), &bytes);
    if (rc == ERROR_MORE_DATA) {
        text.assign(bytes / sizeof(wchar_t) + 1, L'\0');
        bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        rc = RegQueryValueExW(hkey, name.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(text.data()), &bytes);
    }
    std::string result(fallback);
    if (rc == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
        text.resize(bytes / sizeof(wchar_t));
        // The stored terminator, when there is one; the text itself may hold anything.
        if (!text.empty() && text.back() == L'\0') text.pop_back();
        result = Narrow(text);
    }
    if (owned) RegCloseKey(hkey);
    return result;
}

bool RegistrySettings::WriteSetting(std::string_view app, std::string_view section,
                                    std::string_view key, std::string_view text) {
    bool owned = false;
    HKEY hkey = Open(KeyPath(app, section), true, owned);
    if (hkey == nullptr) return false;
    const std::wstring value = Widen(text);
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    const LONG rc = RegSetValueExW(hkey, Widen(key).c_str(), 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(value.c_str()), bytes);
    if (owned) RegCloseKey(hkey);
    return rc == ERROR_SUCCESS;
}

bool RegistrySettings::DeleteApp(std::string_view app) {
    const std::wstring path = KeyPath(app, "");
    const LONG rc = DeleteTree(HKEY_CURRENT_USER, path);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

}  // namespace tk::win32
