// Registry keys over RegCreateKeyExA/RegSetValueExA. Deleting a tree walks the subkeys itself:
// RegDeleteKeyA on NT removes only empty keys, and RegDeleteTree needs Vista.

#include "platform/win32/win32_registry.h"

#include <algorithm>

#include "platform/win32/handles.h"

namespace stow {
namespace {

using win32::UniqueKey;

class Win32RegistryKey final : public RegistryKey {
public:
    explicit Win32RegistryKey(UniqueKey key) : key_(std::move(key)) {}

    bool setString(const std::string& name, const std::string& data) override {
        // REG_SZ data counts its terminating NUL.
        return RegSetValueExA(key_.get(), name.c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(data.c_str()),
                              static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
    }

private:
    UniqueKey key_;
};

// Deletes parent\name after all its subkeys, deepest first.
bool deleteKeyTree(HKEY parent, const char* name) {
    {
        UniqueKey key;
        if (RegOpenKeyExA(parent, name, 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | DELETE,
                          key.receive()) != ERROR_SUCCESS) {
            return false;
        }
        // Always take the first subkey: deleting it moves the next one to index 0.
        for (;;) {
            char child[256];  // key names have at most 255 characters
            DWORD length = sizeof child;
            LONG status = RegEnumKeyExA(key.get(), 0, child, &length, nullptr, nullptr, nullptr,
                                        nullptr);
            if (status == ERROR_NO_MORE_ITEMS) break;
            // A subkey that cannot be deleted would come back at index 0 forever: give up.
            if (status != ERROR_SUCCESS || !deleteKeyTree(key.get(), child)) return false;
        }
    }
    return RegDeleteKeyA(parent, name) == ERROR_SUCCESS;
}

// True when the path names HKEY_LOCAL_MACHINE itself, which must never be emptied.
bool namesRoot(const std::string& path) {
    return path.find_first_not_of('\\') == std::string::npos;
}

}  // namespace

std::unique_ptr<RegistryKey> Win32Registry::openOrCreate(const std::string& path,
                                                         uint32_t access) {
    UniqueKey key;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        access, nullptr, key.receive(), &disposition) != ERROR_SUCCESS) {
        return nullptr;
    }
    return std::make_unique<Win32RegistryKey>(std::move(key));
}

bool Win32Registry::deleteTree(const std::string& path) {
    if (namesRoot(path)) return false;
    return deleteKeyTree(HKEY_LOCAL_MACHINE, path.c_str());
}

std::optional<KeyListing> Win32Registry::list(const std::string& path) {
    UniqueKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.receive()) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    KeyListing listing;
    for (DWORD i = 0;; ++i) {
        char name[256];  // key names have at most 255 characters
        DWORD length = sizeof name;
        LONG status = RegEnumKeyExA(key.get(), i, name, &length, nullptr, nullptr, nullptr,
                                    nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS) return std::nullopt;
        listing.subkeys.emplace_back(name, length);
    }
    for (DWORD i = 0;; ++i) {
        // Value names reach 16383 characters; data is read in a second call at its size.
        std::string name(16384, '\0');
        DWORD name_length = static_cast<DWORD>(name.size());
        DWORD type = 0;
        DWORD data_size = 0;
        LONG status = RegEnumValueA(key.get(), i, &name[0], &name_length, nullptr, &type,
                                    nullptr, &data_size);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS) return std::nullopt;
        name.resize(name_length);
        std::string data;
        if (type == REG_SZ || type == REG_EXPAND_SZ) {
            std::string buffer(data_size + 1, '\0');
            DWORD got = data_size;
            if (RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr,
                                 reinterpret_cast<BYTE*>(&buffer[0]), &got) == ERROR_SUCCESS) {
                buffer.resize(std::min<size_t>(got, data_size));
                // The stored NUL (or several) is not part of the text.
                data = buffer.substr(0, buffer.find('\0'));
            }
        }
        listing.values.emplace_back(std::move(name), std::move(data));
    }
    return listing;
}

bool Win32Registry::deleteValue(const std::string& path, const std::string& name) {
    UniqueKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_SET_VALUE, key.receive()) !=
        ERROR_SUCCESS) {
        return false;
    }
    return RegDeleteValueA(key.get(), name.c_str()) == ERROR_SUCCESS;
}

}  // namespace stow
