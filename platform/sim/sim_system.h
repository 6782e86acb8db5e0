// Simulated system facts: the profile's version, folders and WOW64 state, the process's
// command line and path, the ANSI code page, a settable clock and scripted message boxes.
#pragma once

#include <string>
#include <vector>

#include "platform/sim/sim_context.h"
#include "platform/system.h"

namespace stow::sim {

class SimSystem final : public System {
public:
    SimSystem(SimContext& context, SetupService* setup, SetupUninstaller* uninstaller = nullptr)
        : context_(context), setup_(setup), uninstaller_(uninstaller) {}

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

    void setCommandLine(const std::string& command_line);
    void setExecutablePath(const std::string& path);
    void setLocalTime(const LocalTime& t);
    void useDoubleByteCodePage(bool enabled);

private:
    SimContext& context_;
    SetupService* setup_;
    SetupUninstaller* uninstaller_;
    std::string command_line_ = "\"C:\\stowaway.exe\"";
    std::string executable_path_ = "C:\\stowaway.exe";
    LocalTime local_time_{2026, 3, 7, 14, 5, 9};
    bool double_byte_ = false;
};

}  // namespace stow::sim
