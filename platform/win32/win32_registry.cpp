// Registry keys over RegCreateKeyExA/RegSetValueExA. Deleting a tree walks the subkeys itself:
// RegDeleteKeyA on NT removes only empty keys, and RegDeleteTree needs Vista.

#include "platform/win32/win32_registry.h"

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

}  // namespace stow
