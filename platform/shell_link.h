// Shell links through COM: CoInitialize, the ShellLink object with IShellLinkA and
// IPersistFile, CoUninitialize. Every call answers an HRESULT, negative on failure.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace stow {

using HResult = int32_t;
constexpr HResult kSOk = 0;
constexpr HResult kSFalse = 1;

// One ShellLink object, seen through IShellLinkA plus the IPersistFile it hands out.
class ShellLinkObject {
public:
    virtual ~ShellLinkObject() = default;  // releases both interfaces
    virtual HResult queryPersistFile() = 0;
    virtual HResult setDescription(const std::string& text) = 0;
    virtual HResult setPath(const std::string& target) = 0;
    virtual HResult setWorkingDirectory(const std::string& directory) = 0;
    // IPersistFile::Save with fRemember = TRUE; path is NUL-terminated UTF-16.
    virtual HResult save(const std::u16string& path) = 0;
};

class ShellLinks {
public:
    virtual ~ShellLinks() = default;
    virtual HResult coInitialize() = 0;
    virtual void coUninitialize() = 0;
    // CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA).
    virtual HResult createShellLink(std::unique_ptr<ShellLinkObject>& link) = 0;
    // The system's text for an HRESULT, empty when it has none.
    virtual std::string errorText(HResult code) = 0;
};

}  // namespace stow
