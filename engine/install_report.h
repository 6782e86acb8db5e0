// What the install command tells a listener as it goes: one line per file and its outcome, per
// INF handed to the setup service, per link and per registry value. The install log listens; a
// job without a listener holds nullptr. Lines are passed as pieces so that nothing is built
// when nobody listens. A listener must not throw.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace stow {

class InstallReport {
public:
    virtual void line(std::initializer_list<std::string_view> pieces) = 0;

protected:
    ~InstallReport() = default;  // never owned through this interface
};

// "Registry: HKLM\key [name] = data", or "Registry failed: ..." when the write was refused.
void reportRegistryValue(InstallReport* report, const std::string& key, const std::string& name,
                         const std::string& data, bool written);

// Why a file or directory failed, for the end of its line: " (access denied)", " (disk full)",
// " (path not found)", else " (error N)" with the system's number; "" when no reason is known.
std::string failureNote(const Failure& failure);

}  // namespace stow
