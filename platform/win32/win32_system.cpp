// System queries over the Win32 API. Buffer sizes follow what the installer has always passed
// (260 for directories, 261 zeroed for special folders); a result that did not fit is dropped
// rather than cut, so no path ever holds characters the system did not return.

#include "platform/win32/win32_system.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <climits>
#include <cstring>

#include "platform/setup_service.h"
#include "platform/win32/handles.h"

namespace stow {

using win32::PinnedModule;

constexpr DWORD kSpostPath = 1;  // SPOST_PATH: the source path is kept for the device installer

// SetupCopyOEMInfA, reached through the address found in SetupAPI.dll.
class Win32SetupService final : public SetupService {
public:
    using CopyOemInf = BOOL(WINAPI*)(PCSTR source, PCSTR media_location, DWORD media_type,
                                     DWORD copy_style, PSTR destination, DWORD destination_size,
                                     PDWORD required_size, PSTR* destination_component);

    Win32SetupService(PinnedModule module, CopyOemInf copy) : module_(module), copy_(copy) {}

    InfCopy copyOEMInf(const std::string& source) override {
        char buffer[kInfNameBufferSize] = {};
        // Stays the buffer's size when the service does not write one.
        DWORD required = kInfNameBufferSize;
        if (!copy_(source.c_str(), nullptr, kSpostPath, 0, buffer, kInfNameBufferSize, &required,
                   nullptr)) {
            return {};
        }
        return {true, destinationFromBuffer(std::string_view(buffer, sizeof buffer), required)};
    }

private:
    PinnedModule module_;
    CopyOemInf copy_;
};

// SetupUninstallOEMInfA, reached through the address found in SetupAPI.dll.
class Win32SetupUninstaller final : public SetupUninstaller {
public:
    using UninstallOemInf = BOOL(WINAPI*)(PCSTR inf_name, DWORD flags, PVOID reserved);

    Win32SetupUninstaller(PinnedModule module, UninstallOemInf uninstall)
        : module_(module), uninstall_(uninstall) {}

    bool uninstallOEMInf(const std::string& inf_name) override {
        return uninstall_(inf_name.c_str(), 0, nullptr) != FALSE;
    }

private:
    PinnedModule module_;
    UninstallOemInf uninstall_;
};

namespace {

constexpr DWORD kOsWow6432 = 30;  // OS_WOW6432
constexpr UINT kDirectoryBuffer = 260;
constexpr size_t kSpecialFolderBuffer = 261;

static_assert(sizeof(OSVERSIONINFOA) == 148, "GetVersionExA expects the 148-byte structure");

// GetWindowsDirectoryA and GetSystemDirectoryA answer the length, or the size they would need
// (NUL included) when the buffer is too small.
std::string directoryFrom(UINT (WINAPI* query)(LPSTR, UINT)) {
    char buffer[kDirectoryBuffer];
    UINT n = query(buffer, kDirectoryBuffer);
    if (n == 0 || n >= kDirectoryBuffer) return {};
    return std::string(buffer, n);
}

using LocaleFormatter = int(WINAPI*)(LCID, DWORD, const SYSTEMTIME*, LPCSTR, LPSTR, int);

// GetDateFormatA and GetTimeFormatA share this shape; their count includes the NUL.
std::string formatWith(LocaleFormatter format, DWORD flags, const SYSTEMTIME& time) {
    char buffer[80];
    int n = format(LOCALE_USER_DEFAULT, flags, &time, nullptr, buffer, sizeof buffer);
    if (n > 0) return std::string(buffer, n - 1);
    // An unusually long locale picture: ask for the size first.
    n = format(LOCALE_USER_DEFAULT, flags, &time, nullptr, nullptr, 0);
    if (n <= 0) return {};
    std::string text(n, '\0');
    n = format(LOCALE_USER_DEFAULT, flags, &time, nullptr, &text[0], n);
    if (n <= 0) return {};
    text.resize(n - 1);
    return text;
}

}  // namespace

Win32System::Win32System() = default;
Win32System::~Win32System() = default;

uint32_t Win32System::platformId() {
    OSVERSIONINFOA info;
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    GetVersionExA(&info);
    return info.dwPlatformId;
}

bool Win32System::isWow64() {
    return IsOS(kOsWow6432) != 0;
}

std::string Win32System::windowsDirectory() {
    return directoryFrom(&GetWindowsDirectoryA);
}

std::string Win32System::systemDirectory() {
    return directoryFrom(&GetSystemDirectoryA);
}

std::string Win32System::specialFolder(int csidl) {
    // One character more than the API ever writes, so the text always ends in a NUL.
    char buffer[kSpecialFolderBuffer] = {};
    if (!SHGetSpecialFolderPathA(static_cast<HWND>(owner_), buffer, csidl, FALSE)) return {};
    return std::string(buffer, strnlen(buffer, kSpecialFolderBuffer - 1));
}

void Win32System::disableFsRedirection() {
    using DisableRedirection = BOOL(WINAPI*)(PVOID*);
    PinnedModule kernel("Kernel32.dll");
    auto disable = kernel.find<DisableRedirection>("Wow64DisableWow64FsRedirection");
    if (!disable) return;
    // Redirection stays off for this thread until the process ends; the old state is unused.
    PVOID previous = nullptr;
    disable(&previous);
}

SetupService* Win32System::findSetupService() {
    if (setup_searched_) return setup_.get();
    setup_searched_ = true;
    try {
        // A broken SetupAPI.dll must not put a "missing file" box in front of the user.
        UINT old_mode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        PinnedModule setupapi("SetupAPI.dll");
        SetErrorMode(old_mode);
        auto copy = setupapi.find<Win32SetupService::CopyOemInf>("SetupCopyOEMInfA");
        if (copy) setup_ = std::make_unique<Win32SetupService>(setupapi, copy);
    } catch (...) {
        setup_.reset();
    }
    return setup_.get();
}

SetupUninstaller* Win32System::findSetupUninstaller() {
    if (uninstaller_searched_) return uninstaller_.get();
    uninstaller_searched_ = true;
    try {
        UINT old_mode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
        PinnedModule setupapi("SetupAPI.dll");
        SetErrorMode(old_mode);
        auto uninstall =
            setupapi.find<Win32SetupUninstaller::UninstallOemInf>("SetupUninstallOEMInfA");
        if (uninstall) uninstaller_ = std::make_unique<Win32SetupUninstaller>(setupapi, uninstall);
    } catch (...) {
        uninstaller_.reset();
    }
    return uninstaller_.get();
}

std::string Win32System::commandLine() {
    const char* line = GetCommandLineA();
    return line ? line : "";
}

std::string Win32System::executablePath() {
    // A path that fills the buffer may have been cut: grow it until it does not.
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        std::string path(size, '\0');
        DWORD n = GetModuleFileNameA(nullptr, &path[0], size);
        if (n == 0) return {};
        if (n < size) {
            path.resize(n);
            return path;
        }
    }
    return {};
}

bool Win32System::isLeadByte(unsigned char byte) {
    return IsDBCSLeadByte(byte) != 0;
}

std::u16string Win32System::toUtf16(const std::string& text) {
    if (text.empty() || text.size() > INT_MAX) return {};
    int length = static_cast<int>(text.size());
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (n <= 0) return {};
    std::u16string wide(n, u'\0');
    n = MultiByteToWideChar(CP_ACP, 0, text.data(), length, reinterpret_cast<wchar_t*>(&wide[0]),
                            n);
    if (n <= 0) return {};
    wide.resize(n);
    return wide;
}

LocalTime Win32System::localTime() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    LocalTime t;
    t.year = now.wYear;
    t.month = now.wMonth;
    t.day = now.wDay;
    t.hour = now.wHour;
    t.minute = now.wMinute;
    t.second = now.wSecond;
    return t;
}

std::string Win32System::formatDateTime(const LocalTime& t) {
    SYSTEMTIME time;
    std::memset(&time, 0, sizeof time);
    time.wYear = static_cast<WORD>(t.year);
    time.wMonth = static_cast<WORD>(t.month);
    time.wDay = static_cast<WORD>(t.day);
    time.wHour = static_cast<WORD>(t.hour);
    time.wMinute = static_cast<WORD>(t.minute);
    time.wSecond = static_cast<WORD>(t.second);
    return formatWith(&GetDateFormatA, DATE_SHORTDATE, time) + " " +
           formatWith(&GetTimeFormatA, 0, time);
}

}  // namespace stow
