// The profile table. The folder layouts are those of a typical machine of each family:
// Windows 9x with its per-user Start menu under the Windows folder, NT with the Users and
// ProgramData trees, and 64-bit NT seen from a 32-bit process through WOW64.
#include "platform/sim/profiles.h"

namespace stow::sim {
namespace {

ProfileFacts win9xFacts() {
    ProfileFacts f;
    f.name = "9x";
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
    f.name = "nt32";
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
    f.name = "nt64";
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
    f.name = "nt-no-setupapi";
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

const std::vector<Profile>& allProfiles() {
    static const std::vector<Profile> kAll{Profile::Win9x, Profile::Nt32, Profile::Nt64,
                                           Profile::NtNoSetupApi};
    return kAll;
}

std::optional<Profile> profileNamed(const std::string& name) {
    for (Profile p : allProfiles()) {
        if (profileFacts(p).name == name) return p;
    }
    return std::nullopt;
}

std::string ProfileSystem::specialFolder(int csidl) {
    const auto found = facts_.specialFolders.find(csidl);
    return found == facts_.specialFolders.end() ? std::string() : found->second;
}

std::u16string ProfileSystem::toUtf16(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

}  // namespace stow::sim
