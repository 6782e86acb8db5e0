// The registry under HKEY_LOCAL_MACHINE. A 32-bit process reaches the 32-bit view, as Windows
// gives it by default; the sim keeps both views so tests can tell them apart.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace stow {

constexpr uint32_t kKeyAllAccess = 0xF003F;

class RegistryKey {
public:
    virtual ~RegistryKey() = default;
    // Writes a REG_SZ value; false on failure.
    virtual bool setString(const std::string& name, const std::string& data) = 0;
};

// A key's string values (name, data) and the names of its subkeys, in the order Windows
// enumerates them. Values of other types are listed with empty data.
struct KeyListing {
    std::vector<std::pair<std::string, std::string>> values;
    std::vector<std::string> subkeys;
};

class Registry {
public:
    virtual ~Registry() = default;
    // Opens HKLM\path with the rights mask, creating it (and missing parents) if it is missing.
    // nullptr when it can be neither opened nor created.
    virtual std::unique_ptr<RegistryKey> openOrCreate(const std::string& path, uint32_t access) = 0;
    // Deletes HKLM\path with all its subkeys and values; false when it could not.
    virtual bool deleteTree(const std::string& path) = 0;

    // Reading and value removal, for the uninstaller. A backend without them answers failure.
    // nullopt when HKLM\path does not exist or cannot be read.
    virtual std::optional<KeyListing> list(const std::string&) { return std::nullopt; }
    // Deletes one value of HKLM\path; false when it could not (also when it is missing).
    virtual bool deleteValue(const std::string&, const std::string&) { return false; }
};

}  // namespace stow
