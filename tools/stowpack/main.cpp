// stowpack: builds Stowaway installers from a manifest, inspects and plans built ones.
#include <iostream>
#include <string>
#include <vector>

#include "stowpack/cli.h"
#include "stowpack/host_os.h"

int main(int argc, char** argv) {
    stow::pack::useBinaryStandardStreams();  // the same bytes on every system
    const std::vector<std::string> args(argv + 1, argv + argc);
    return stow::pack::runCli(args, std::cout, std::cerr,
                              stow::pack::runningProgramPath(argc > 0 ? argv[0] : "stowpack"));
}
