// System facts of the simulated profiles. The folder layouts are those of a typical machine of
// each family: Windows 9x with its per-user Start menu under the Windows folder, NT with the
// Users and ProgramData trees, and 64-bit NT seen from a 32-bit process through WOW64.
#include "platform/sim/sim_system.h"

#include <cstdio>
#include <stdexcept>

namespace stow::sim {
namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

ProfileFacts win9xFacts() {
    ProfileFacts f;
    f.platformId = kPlatformWin32Windows;
    f.windowsDir = "C:\\WINDOWS";
    f.systemDir = "C:\\WINDOWS\\SYSTEM";
    f.infDir = "C:\\WINDOWS\\INF";
    f.specialFolders = {{kCsidlPrograms, "C:\\WINDOWS\\Start Menu\\Programs"},
                         {kCsidlProgramFiles, "C:\\Program Files"},
                         {36, "C:\\WINDOWS"},
                         {37, "C:\\WINDOWS\\SYSTEM"}};
    f.folders = {"C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS\\INF\\Other",
                 "C:\\WINDOWS\\Start Menu\\Programs", "C:\\Program Files"};
    return f;
}

ProfileFacts ntFacts() {
    ProfileFacts f;
    f.platformId = kPlatformWin32Nt;
    f.windowsDir = "C:\\WINDOWS";
    f.systemDir = "C:\\WINDOWS\\system32";
    f.infDir = "C:\\WINDOWS\\INF";
    f.specialFolders = {
        {kCsidlPrograms, "C:\\Users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"},
        {kCsidlCommonPrograms, "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"},
        {kCsidlProgramFiles, "C:\\Program Files"},
        {kCsidlSystemX86, "C:\\WINDOWS\\system32"},
        {36, "C:\\WINDOWS"},
        {37, "C:\\WINDOWS\\system32"}};
    f.folders = {"C:\\WINDOWS\\system32\\Drivers", "C:\\WINDOWS\\INF",
                 "C:\\Users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs",
                 "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs",
                 "C:\\Program Files"};
    return f;
}

ProfileFacts nt64Facts() {
    ProfileFacts f = ntFacts();
    f.wow64 = true;
    f.specialFolders[kCsidlProgramFiles] = "C:\\Program Files (x86)";
    f.specialFolders[kCsidlSystemX86] = "C:\\WINDOWS\\SysWOW64";
    f.folders.push_back("C:\\Program Files (x86)");
    f.folders.push_back("C:\\WINDOWS\\SysWOW64\\drivers");
    f.redirectFrom = "C:\\WINDOWS\\system32";
    f.redirectTo = "C:\\WINDOWS\\SysWOW64";
    return f;
}

ProfileFacts noSetupApiFacts() {
    ProfileFacts f = ntFacts();
    f.setupApi = false;
    return f;
}

}  // namespace

const ProfileFacts& profileFacts(Profile profile) {
    static const ProfileFacts kWin9x = win9xFacts();
    static const ProfileFacts kNt32 = ntFacts();
    static const ProfileFacts kNt64 = nt64Facts();
    static const ProfileFacts kNoSetupApi = noSetupApiFacts();
    switch (profile) {
        case Profile::Win9x: return kWin9x;
        case Profile::Nt64: return kNt64;
        case Profile::NtNoSetupApi: return kNoSetupApi;
        case Profile::Nt32: break;
    }
    return kNt32;
}

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

int SimSystem::messageBox(const std::string& text, const std::string& caption, uint32_t flags) {
    Lock lock(context_.mutex);
    message_boxes_.push_back(MessageBoxCall{text, caption, flags});
    if (answers_.empty()) return kIdOk;
    int answer = answers_.front();
    answers_.pop_front();
    return answer;
}

void SimSystem::setCommandLine(const std::string& command_line) { command_line_ = command_line; }

void SimSystem::setExecutablePath(const std::string& path) { executable_path_ = path; }

void SimSystem::setLocalTime(const LocalTime& t) { local_time_ = t; }

void SimSystem::queueMessageBoxAnswer(int answer) {
    Lock lock(context_.mutex);
    answers_.push_back(answer);
}

void SimSystem::useDoubleByteCodePage(bool enabled) { double_byte_ = enabled; }

}  // namespace stow::sim
