// The registry under HKEY_LOCAL_MACHINE. A 32-bit process reaches the 32-bit view, as Windows
// gives it by default; the sim keeps both views so tests can tell them apart.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace stow {

constexpr uint32_t kKeyAllAccess = 0xF003F;

class RegistryKey {
public:
    virtual ~RegistryKey() = default;
    // Writes a REG_SZ value; false on failure.
    virtual bool setString(const std::string& name, const std::string& data) = 0;
};

class Registry {
public:
    virtual ~Registry() = default;
    // Opens HKLM\path with the rights mask, creating it (and missing parents) if it is missing.
    // nullptr when it can be neither opened nor created.
    virtual std::unique_ptr<RegistryKey> openOrCreate(const std::string& path, uint32_t access) = 0;
    // Deletes HKLM\path with all its subkeys and values; false when it could not.
    virtual bool deleteTree(const std::string& path) = 0;
};

}  // namespace stow
