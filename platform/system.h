// System facts, folders, the process's own identity, the ANSI code page, the clock and
// message boxes: everything the installer asks Windows that is not a file or a key.
#pragma once

#include <cstdint>
#include <string>

#include "platform/message_boxes.h"

namespace stow {

class SetupService;
class SetupUninstaller;

constexpr uint32_t kPlatformWin32Windows = 1;
constexpr uint32_t kPlatformWin32Nt = 2;

// CSIDL numbers the installer asks for.
constexpr int kCsidlPrograms = 2;
constexpr int kCsidlCommonPrograms = 23;
constexpr int kCsidlProgramFiles = 38;
constexpr int kCsidlSystemX86 = 41;

struct LocalTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
};

class System {
public:
    virtual ~System() = default;

    // GetVersionExA's dwPlatformId.
    virtual uint32_t platformId() = 0;
    // IsOS(OS_WOW6432): a 32-bit process on 64-bit Windows.
    virtual bool isWow64() = 0;
    // GetWindowsDirectoryA / GetSystemDirectoryA with a 260-character buffer; "" on failure.
    virtual std::string windowsDirectory() = 0;
    virtual std::string systemDirectory() = 0;
    // SHGetSpecialFolderPathA(app window, buf[261], csidl, FALSE); "" on failure.
    virtual std::string specialFolder(int csidl) = 0;
    // Wow64DisableWow64FsRedirection for the calling thread, when Kernel32.dll has it.
    virtual void disableFsRedirection() = 0;
    // LoadLibraryA("SetupAPI.dll") + GetProcAddress("SetupCopyOEMInfA"); nullptr when missing.
    // The platform owns the result for the whole run.
    virtual SetupService* findSetupService() = 0;
    // LoadLibraryA("SetupAPI.dll") + GetProcAddress("SetupUninstallOEMInfA"); nullptr when
    // missing (also for a backend that has no such service).
    virtual SetupUninstaller* findSetupUninstaller() { return nullptr; }

    // The whole command line as GetCommandLineA gives it, program name first.
    virtual std::string commandLine() = 0;
    // Full path of the running executable.
    virtual std::string executablePath() = 0;

    // IsDBCSLeadByte in the ANSI code page.
    virtual bool isLeadByte(unsigned char byte) = 0;
    // MultiByteToWideChar(CP_ACP) of the whole text.
    virtual std::u16string toUtf16(const std::string& text) = 0;

    virtual LocalTime localTime() = 0;
    // The locale's short date + " " + long time for t.
    virtual std::string formatDateTime(const LocalTime& t) = 0;
};

}  // namespace stow
