// The kinds of Windows the tools know, in one table: each profile's name, version facts and
// usual folders. The simulated Windows builds its machines from it, and stowpack's plan asks a
// ProfileSystem of it where an installation would go.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/paths.h"
#include "platform/system.h"

namespace stow::sim {

enum class Profile {
    Win9x,          // platform id 1; C:\WINDOWS, C:\WINDOWS\SYSTEM, per-user programs folder
    Nt32,           // 32-bit NT: C:\WINDOWS\system32
    Nt64,           // 32-bit process under WOW64: SysWOW64, redirection, two registry views
    NtNoSetupApi,   // 32-bit NT whose SetupAPI.dll lacks SetupCopyOEMInfA
};

// The folders and facts a profile's machine answers with.
struct ProfileFacts {
    std::string name;  // "9x", "nt32", "nt64", "nt-no-setupapi"
    uint32_t platformId = 0;
    bool wow64 = false;
    bool setupApi = true;
    std::string windowsDir;
    std::string systemDir;
    std::string infDir;
    std::map<int, std::string> specialFolders;  // CSIDL -> path; missing ones fail
    std::vector<std::string> folders;            // made when the machine is built
    // WOW64 file-system redirection: the native folder a 32-bit thread sees as the other one.
    std::string redirectFrom;
    std::string redirectTo;
};

const ProfileFacts& profileFacts(Profile profile);
const std::vector<Profile>& allProfiles();
std::optional<Profile> profileNamed(const std::string& name);

// A machine of the profile as the installer's start-up sees it, with nothing behind it: the
// table's facts and folders, a command line without switches, and the given code page's lead
// bytes. The setup service, where the profile has one, is the one given.
class ProfileSystem final : public System {
public:
    ProfileSystem(Profile profile, SetupService* setup, LeadBytePredicate is_lead_byte = {})
        : facts_(profileFacts(profile)), setup_(setup), lead_(std::move(is_lead_byte)) {}

    uint32_t platformId() override { return facts_.platformId; }
    bool isWow64() override { return facts_.wow64; }
    std::string windowsDirectory() override { return facts_.windowsDir; }
    std::string systemDirectory() override { return facts_.systemDir; }
    std::string specialFolder(int csidl) override;
    void disableFsRedirection() override {}
    SetupService* findSetupService() override { return facts_.setupApi ? setup_ : nullptr; }
    std::string commandLine() override { return "setup.exe"; }
    std::string executablePath() override { return "C:\\setup.exe"; }
    bool isLeadByte(unsigned char byte) override { return lead_ && lead_(byte); }
    std::u16string toUtf16(const std::string& text) override;
    LocalTime localTime() override { return {}; }
    std::string formatDateTime(const LocalTime&) override { return {}; }

private:
    const ProfileFacts& facts_;
    SetupService* setup_;
    LeadBytePredicate lead_;
};

}  // namespace stow::sim
