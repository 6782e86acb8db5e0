// Keys under HKEY_LOCAL_MACHINE through the ANSI registry API. No KEY_WOW64_* flag is passed:
// a 32-bit process then reaches the 32-bit view on 64-bit Windows, which is where the
// uninstaller and the vendor's tools look.
#pragma once

#include "platform/registry.h"

namespace stow {

class Win32Registry final : public Registry {
public:
    std::unique_ptr<RegistryKey> openOrCreate(const std::string& path, uint32_t access) override;
    bool deleteTree(const std::string& path) override;
    std::optional<KeyListing> list(const std::string& path) override;
    bool deleteValue(const std::string& path, const std::string& name) override;
};

}  // namespace stow
