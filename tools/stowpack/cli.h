// The command line of stowpack: subcommands, options and the exit codes every subcommand shares
// (0 success, 1 input refused with a message, 2 usage error). main() only forwards to runCli, so
// tests drive the whole command-line layer in-process.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace stow::pack {

constexpr int kExitSuccess = 0;
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

// args excludes the program name; program is stowpack's own path (for the default stub).
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const std::filesystem::path& program);

// "stowpack X.Y.Z".
std::string versionText();

}  // namespace stow::pack
