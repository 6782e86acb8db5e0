// Shell links through COM: the ShellLink object seen as IShellLinkA and IPersistFile. The
// interface identifiers are defined here, so no import library has to provide them.
#pragma once

#include "platform/shell_link.h"

namespace stow {

class Win32ShellLinks final : public ShellLinks {
public:
    HResult coInitialize() override;
    void coUninitialize() override;
    HResult createShellLink(std::unique_ptr<ShellLinkObject>& link) override;
    std::string errorText(HResult code) override;
};

}  // namespace stow
