// System facts, folders, identity, code page, clock and message boxes from the Win32 API. The
// routines that only some Windows versions export are looked up at run time; IsOS is bound by
// ordinal because Shlwapi.dll exports it by name only from Vista on.
#pragma once

#include <memory>

#include "platform/system.h"

namespace stow {

class Win32SetupService;
class Win32SetupUninstaller;

class Win32System final : public System {
public:
    Win32System();
    ~Win32System() override;
    Win32System(const Win32System&) = delete;
    Win32System& operator=(const Win32System&) = delete;

    // The application's window: owner of message boxes and of special-folder queries.
    void setOwnerWindow(void* hwnd) { owner_ = hwnd; }

    uint32_t platformId() override;
    bool isWow64() override;
    std::string windowsDirectory() override;
    std::string systemDirectory() override;
    std::string specialFolder(int csidl) override;
    void disableFsRedirection() override;
    SetupService* findSetupService() override;
    SetupUninstaller* findSetupUninstaller() override;
    std::string commandLine() override;
    std::string executablePath() override;
    bool isLeadByte(unsigned char byte) override;
    std::u16string toUtf16(const std::string& text) override;
    LocalTime localTime() override;
    std::string formatDateTime(const LocalTime& t) override;

private:
    void* owner_ = nullptr;
    bool setup_searched_ = false;
    std::unique_ptr<Win32SetupService> setup_;
    bool uninstaller_searched_ = false;
    std::unique_ptr<Win32SetupUninstaller> uninstaller_;
};

}  // namespace stow
