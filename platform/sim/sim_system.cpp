// System facts of the simulated machine: the profile table's answers, subject to the fault
// switches, and the process's own settings.
#include "platform/sim/sim_system.h"

#include <cstdio>
#include <stdexcept>

namespace stow::sim {
namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

}  // namespace

uint32_t SimSystem::platformId() { return context_.facts.platformId; }

bool SimSystem::isWow64() { return context_.facts.wow64; }

std::string SimSystem::windowsDirectory() {
    Lock lock(context_.mutex);
    const Faults& f = context_.faults;
    if (f.failFolderQueries) return {};
    return f.windowsDirectory ? *f.windowsDirectory : context_.facts.windowsDir;
}

std::string SimSystem::systemDirectory() {
    Lock lock(context_.mutex);
    return context_.faults.failFolderQueries ? std::string() : context_.facts.systemDir;
}

std::string SimSystem::specialFolder(int csidl) {
    Lock lock(context_.mutex);
    const Faults& f = context_.faults;
    if (f.failFolderQueries || f.failSpecialFolders.count(csidl) != 0) return {};
    if (auto scripted = f.specialFolders.find(csidl); scripted != f.specialFolders.end()) {
        return scripted->second;
    }
    auto found = context_.facts.specialFolders.find(csidl);
    return found == context_.facts.specialFolders.end() ? std::string() : found->second;
}

void SimSystem::disableFsRedirection() {
    Lock lock(context_.mutex);
    context_.redirectionOff.insert(std::this_thread::get_id());
}

SetupService* SimSystem::findSetupService() {
    if (context_.faults.setupLookupThrows) throw std::runtime_error("access violation");
    return context_.facts.setupApi ? setup_ : nullptr;
}

SetupUninstaller* SimSystem::findSetupUninstaller() {
    // The export came with Windows XP: never on the 9x family, and not where SetupAPI is cut.
    return context_.facts.setupApi && context_.facts.platformId == kPlatformWin32Nt
               ? uninstaller_
               : nullptr;
}

std::string SimSystem::commandLine() { return command_line_; }

std::string SimSystem::executablePath() { return executable_path_; }

bool SimSystem::isLeadByte(unsigned char byte) {
    // Code page 932 (Shift JIS).
    return double_byte_ && ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC));
}

std::u16string SimSystem::toUtf16(const std::string& text) {
    std::u16string out;
    out.reserve(text.size());
    for (char c : text) out += static_cast<char16_t>(static_cast<unsigned char>(c));
    return out;
}

LocalTime SimSystem::localTime() { return local_time_; }

std::string SimSystem::formatDateTime(const LocalTime& t) {
    // en-US: short date "M/d/yyyy", long time "h:mm:ss tt".
    int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
    char text[64];
    std::snprintf(text, sizeof text, "%d/%d/%d %d:%02d:%02d %s", t.month, t.day, t.year, hour12,
                  t.minute, t.second, t.hour < 12 ? "AM" : "PM");
    return text;
}

void SimSystem::setCommandLine(const std::string& command_line) { command_line_ = command_line; }

void SimSystem::setExecutablePath(const std::string& path) { executable_path_ = path; }

void SimSystem::setLocalTime(const LocalTime& t) { local_time_ = t; }

void SimSystem::useDoubleByteCodePage(bool enabled) { double_byte_ = enabled; }

}  // namespace stow::sim
