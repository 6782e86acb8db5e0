// stowpack: builds Stowaway installers from a manifest and inspects built ones. Each
// subcommand is registered by one add*Command function; a new one adds its own and a call here.
#include <unistd.h>

#include <climits>
#include <functional>
#include <iostream>

#include <CLI/CLI.hpp>

#include "stowpack/build_command.h"
#include "stowpack/format.h"
#include "stowpack/inspect_command.h"
#include "stowpack/plan.h"

namespace {

namespace fs = std::filesystem;
using namespace stow::pack;

// The running program's path, for finding the stub beside it.
fs::path programPath(const char* argv0) {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n > 0) return fs::path(std::string(buffer, static_cast<size_t>(n)));
    return fs::absolute(argv0);
}

// Runs a subcommand's work, turning a refusal into a message and exit code 1.
void runGuarded(int& exit_code, const std::function<int()>& work) {
    try {
        exit_code = work();
    } catch (const std::exception& e) {
        std::cerr << "stowpack: error: " << e.what() << "\n";
        exit_code = 1;
    }
}

void addBuildCommand(CLI::App& app, int& exit_code, const fs::path& program) {
    auto options = std::make_shared<BuildOptions>();
    auto stub = std::make_shared<std::string>();
    CLI::App* cmd = app.add_subcommand("build", "Build an installer: the stub with the "
                                                "manifest's package appended");
    cmd->footer(
        "The stub defaults to $STOWAWAY_STUB when set, else stowaway.exe beside stowpack.\n"
        "The output is written to a temporary file in its folder and renamed into place only\n"
        "when complete. Packages shorter than the installer's minimum length of 4096 bytes\n"
        "are padded with zero bytes behind the last record; the installer never reads them.\n"
        "Sign the built installer, never the stub: the signature then lies behind the package\n"
        "and covers it. A stub that is already signed or already carries a package is refused.\n"
        "The uninstaller is added as the last record (placement 1, <vendor>Uninstall.exe)\n"
        "unless the manifest sets uninstaller = false.\n"
        "  osslsigncode sign -certs cert.pem -key key.pem -n NAME -h sha256 -in OUT -out SIGNED\n"
        "  osslsigncode verify -CAfile ca.pem -in SIGNED\n"
        "See examples/README.md for the manifest format and signing.");
    cmd->add_option("manifest", options->manifest, "Package manifest (TOML)")->required();
    cmd->add_option("-o,--output", options->output, "Installer to write")->required();
    cmd->add_option("--stub", *stub, "Installer stub (an unpatched stowaway.exe)");
    cmd->add_option("--uninstaller", options->uninstaller,
                    "Uninstaller to add (default: stowuninstall.exe beside the stub)");
    cmd->callback([=, &exit_code] {
        runGuarded(exit_code, [&] {
            options->stub = stub->empty() ? defaultStubPath(program) : fs::path(*stub);
            runBuild(*options, std::cout, std::cerr);
            return 0;
        });
    });
}

void addInspectCommand(CLI::App& app, int& exit_code) {
    auto options = std::make_shared<InspectOptions>();
    CLI::App* cmd = app.add_subcommand("inspect", "Show the package an installer carries and "
                                                  "whether the installer would load it");
    cmd->footer(
        "Prints the locator, the header and every record (placement byte, path, size,\n"
        "source-path key, time stamp), the load error the installer would show, if any, the\n"
        "bytes that follow the package, and where a code signature's certificate table lies.\n"
        "Exit code 0: loads and every record reads;\n"
        "2: the installer would fail; 1: the file cannot be read.");
    cmd->add_option("installer", options->file, "Installer to inspect")->required();
    cmd->add_option("--encoding", options->encoding,
                    "Code page of the package's texts (default CP1252)");
    cmd->callback([=, &exit_code] {
        runGuarded(exit_code, [&] { return runInspect(*options, std::cout); });
    });
}

void addPlanCommand(CLI::App& app, int& exit_code) {
    auto options = std::make_shared<PlanOptions>();
    auto target = std::make_shared<std::string>();
    auto drivers = std::make_shared<std::string>();
    CLI::App* cmd = app.add_subcommand("plan", "Show where every record of an installer would "
                                               "land on one kind of Windows");
    cmd->footer(
        "Uses the installer's own placement rule with the profile's usual folders\n"
        "(9x: C:\\WINDOWS\\SYSTEM; nt32 and nt-no-setupapi: C:\\WINDOWS\\system32;\n"
        "nt64: DLLs in C:\\WINDOWS\\SysWOW64, programs in C:\\Program Files (x86)).\n"
        "The target and drivers directories default to what the installer proposes.\n"
        "Exit code 0: every record is handled; 2: the installer would not load or would\n"
        "stop at a record; 1: bad options or an unreadable file.");
    cmd->add_option("installer", options->file, "Installer to plan")->required();
    cmd->add_option("--profile", options->profile, "9x, nt32, nt64 or nt-no-setupapi")
        ->required();
    cmd->add_option("--target", *target, "Target directory instead of the default");
    cmd->add_option("--drivers", *drivers, "Drivers directory instead of the default");
    cmd->add_option("--encoding", options->encoding,
                    "Code page of the package's texts (default CP1252)");
    cmd->callback([=, &exit_code] {
        runGuarded(exit_code, [&] {
            if (cmd->count("--target") > 0) options->target = *target;
            if (cmd->count("--drivers") > 0) options->drivers = *drivers;
            return runPlan(*options, std::cout);
        });
    });
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"stowpack: builds and inspects Stowaway installers"};
    app.require_subcommand(1);
    int exit_code = 0;
    const fs::path program = programPath(argv[0]);
    addBuildCommand(app, exit_code, program);
    addInspectCommand(app, exit_code);
    addPlanCommand(app, exit_code);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }
    return exit_code;
}
