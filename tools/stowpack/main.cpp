// stowpack: builds Stowaway installers from a manifest, inspects and plans built ones.
#include <iostream>
#include <string>
#include <vector>

#include "stowpack/cli.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    // The same bytes as on Linux: no CR added in front of every line break.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    const std::vector<std::string> args(argv + 1, argv + argc);
    return stow::pack::runCli(args, std::cout, std::cerr,
                              stow::pack::runningProgramPath(argc > 0 ? argv[0] : "stowpack"));
}
