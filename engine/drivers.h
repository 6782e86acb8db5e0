// Driver preinstallation: every INF at the top of the drivers directory goes to the system's
// setup service, one at a time on a worker thread while the GUI keeps handling messages.
#pragma once

#include <string>

#include "engine/install_job.h"

namespace stow {

// "Software\" + vendor + "\INF": one value per accepted INF, its path -> the system's name.
std::string infKeyPath(const std::string& vendor);

// Hands inf_path to the service on a TINFThread, pumping messages until it finishes; records
// the name the system gave the copy when the service accepted it. Throws ERegistryException
// when that record cannot be written.
// With a wait limit (ms, 0 = none) a call that has not returned in time counts as rejected: the
// worker is left to end with the process, and the installation goes on. Returns false then.
bool preinstallInf(Platform& platform, SetupService& service, MessagePump& pump,
                   const std::string& vendor, const std::string& inf_path,
                   InstallReport* report = nullptr, uint32_t wait_limit_ms = 0);

}  // namespace stow
