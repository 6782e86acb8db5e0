// The values every phase shares: the loaded package, the install locations with the platform
// facts, and what the install command collects while it runs.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "package/package_stream.h"

namespace stow {

class SetupService;

// The package header as loaded at start-up, with the stream positioned at the first record.
struct LoadedPackage {
    std::string vendorName;
    std::string packageName;
    int32_t recordCount = 0;
    std::string startMenuGroup;  // vendorName + " " + packageName
    std::unique_ptr<PackageStream> stream;
};

struct PlatformFacts {
    bool nt = false;
    int bitness = 32;
    SetupService* setupService = nullptr;  // owned by the platform; nullptr when missing
    bool driverPreinstallPossible = false;  // nt && setupService
};

// Every directory value ends in "\".
struct InstallLocations {
    std::string windowsPath;
    std::string systemPath;
    std::string programsPath;
    std::string dllPath;
    std::string driverPath;
};

// What start-up computes besides the locations: the panel defaults and the dialog's fallback.
struct StartupDirectories {
    std::string target;    // default target directory (panel text)
    std::string drivers;   // default drivers directory (panel text)
    std::string fallback;  // drive root of WindowsPath, for the destination dialog
};

// Where a phase stands: each phase sets its own maximum, then advances the position. What the
// user sees of it, and when, is the UI's to decide.
class Progress {
public:
    virtual ~Progress() = default;
    virtual void setMax(int max) = 0;
    virtual void setPosition(int position) = 0;
};

// Handles all pending window messages once; the driver phase calls it while a worker runs.
class MessagePump {
public:
    virtual ~MessagePump() = default;
    virtual void processMessages() = 0;
};

// Destination paths whose write failed, in the order of failure.
using FailedCopies = std::vector<std::string>;

}  // namespace stow
