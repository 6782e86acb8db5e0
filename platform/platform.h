// The whole seam between the installer and Windows, handed to the engine and UI by reference.
#pragma once

#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/setup_service.h"
#include "platform/shell_link.h"
#include "platform/system.h"
#include "platform/threads.h"

namespace stow {

struct Platform {
    FileSystem& files;
    Registry& registry;
    System& system;
    ShellLinks& shell;
    Threads& threads;
};

}  // namespace stow
