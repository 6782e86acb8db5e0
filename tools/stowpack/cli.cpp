// Each subcommand is registered by one add*Command function; a new one adds its own and a call
// in makeApp. A subcommand's work runs guarded: a refusal becomes its message and exit code 1.
#include "stowpack/cli.h"

#include <functional>
#include <memory>

#include <CLI/CLI.hpp>

#include "stowpack/build_command.h"
#include "stowpack/format.h"
#include "stowpack/inspect_command.h"
#include "stowpack/plan.h"
#include "stowpack/text_encoding.h"

#ifndef STOWPACK_VERSION
#define STOWPACK_VERSION "0.0.0"
#endif

namespace stow::pack {

namespace {

namespace fs = std::filesystem;

const char* const kSubcommands[] = {"build", "inspect", "plan"};

// What every subcommand's callback needs.
struct Context {
    std::ostream& out;
    std::ostream& err;
    fs::path program;
    int exit_code = kExitSuccess;
};

void printRefusal(std::ostream& err, const PackError& e) {
    if (e.location().empty()) {
        err << "stowpack: error: " << e.what() << "\n";
    } else {
        err << e.location() << ": error: " << e.message() << "\n";
    }
}

// Runs a subcommand's work, turning a refusal into a message and exit code 1.
void runGuarded(Context& context, const std::function<int()>& work) {
    try {
        context.exit_code = work();
    } catch (const PackError& e) {
        printRefusal(context.err, e);
        context.exit_code = kExitRefused;
    } catch (const std::exception& e) {
        context.err << "stowpack: error: " << e.what() << "\n";
        context.exit_code = kExitRefused;
    }
}

// An option check that the code page is known to this host.
CLI::Validator knownEncoding() {
    return CLI::Validator(
        [](std::string& name) -> std::string {
            try {
                checkEncoding(name);
            } catch (const PackError& e) {
                return e.what();
            }
            return "";
        },
        "CODEPAGE", "known encoding");
}

void addBuildCommand(CLI::App& app, Context& context) {
    auto options = std::make_shared<BuildOptions>();
    auto stub = std::make_shared<std::string>();
    CLI::App* cmd = app.add_subcommand("build", "Build an installer: the stub with the "
                                                "manifest's package appended");
    cmd->footer(
        "The stub defaults to $STOWAWAY_STUB when set, else stowaway.exe beside stowpack.\n"
        "The output is written to a temporary file in its folder and renamed into place only\n"
        "when complete; it may not be the stub, the manifest, a source or a non-regular file.\n"
        "Every record is planned on 9x, nt32, nt64 and nt-no-setupapi with the default\n"
        "directories: what would fail there is an error, what may be meant is a warning.\n"
        "File times the manifest does not give are the sources' modification times in UTC,\n"
        "no later than $SOURCE_DATE_EPOCH when set.\n"
        "The uninstaller is added as the last record (placement 1, <vendor>Uninstall.exe)\n"
        "unless the manifest sets uninstaller = false.\n"
        "Sign the built installer, never the stub. See docs/vendor-guide.md.\n"
        "Exit code 0: written; 1: refused (nothing written); 2: bad options.");
    cmd->add_option("manifest", options->manifest, "Package manifest (TOML)")->required();
    cmd->add_option("-o,--output", options->output, "Installer to write")->required();
    cmd->add_option("--stub", *stub, "Installer stub (an unpatched stowaway.exe)");
    cmd->add_option("--uninstaller", options->uninstaller,
                    "Uninstaller to add (default: stowuninstall.exe beside the stub)");
    cmd->add_flag("--werror", options->werror, "Treat warnings as errors");
    cmd->callback([options, stub, &context] {
        runGuarded(context, [&] {
            options->stub = stub->empty() ? defaultStubPath(context.program) : fs::path(*stub);
            runBuild(*options, context.out, context.err);
            return kExitSuccess;
        });
    });
}

void addInspectCommand(CLI::App& app, Context& context) {
    auto options = std::make_shared<InspectOptions>();
    CLI::App* cmd = app.add_subcommand("inspect", "Show the package an installer carries and "
                                                  "whether the installer would load it");
    cmd->footer(
        "Prints the locator, the header and every record (placement byte, path, size,\n"
        "source-path key, time stamp), the load error the installer would show, if any, the\n"
        "bytes that follow the package, and where a code signature's certificate table lies.\n"
        "Exit code 0: loads and every record reads; 1: the installer would fail, or the file\n"
        "cannot be read; 2: bad options.");
    cmd->add_option("installer", options->file, "Installer to inspect")->required();
    cmd->add_option("--encoding", options->encoding,
                    "Code page of the package's texts (default CP1252)")
        ->check(knownEncoding());
    cmd->add_flag("--json", options->json, "Print JSON (keys in docs/vendor-guide.md)");
    cmd->callback([options, &context] {
        runGuarded(context, [&] { return runInspect(*options, context.out); });
    });
}

void addPlanCommand(CLI::App& app, Context& context) {
    auto options = std::make_shared<PlanOptions>();
    auto target = std::make_shared<std::string>();
    auto drivers = std::make_shared<std::string>();
    CLI::App* cmd = app.add_subcommand("plan", "Show everything an installer would write on "
                                               "one kind of Windows, or on all");
    cmd->footer(
        "Uses the installer's own location code, placement rule, link rules and file log with\n"
        "the profile's usual folders (9x: C:\\WINDOWS\\SYSTEM; nt32 and nt-no-setupapi:\n"
        "C:\\WINDOWS\\system32; nt64: DLLs in C:\\WINDOWS\\SysWOW64, programs in\n"
        "C:\\Program Files (x86)). Lists files, driver copies, the INFs handed to the setup\n"
        "service, Start-menu links, the file log and the registry values.\n"
        "The target and drivers directories default to what the installer proposes.\n"
        "Exit code 0: every record is handled; 1: the installer would not load or would stop\n"
        "at a record, or the file cannot be read; 2: bad options.");
    cmd->add_option("installer", options->file, "Installer to plan")->required();
    std::vector<std::string> profiles{"all"};
    for (PlanProfile p : allPlanProfiles()) profiles.push_back(planProfileName(p));
    cmd->add_option("--profile", options->profile, "9x, nt32, nt64, nt-no-setupapi or all")
        ->required()
        ->check(CLI::IsMember(profiles));
    cmd->add_option("--target", *target, "Target directory instead of the default");
    cmd->add_option("--drivers", *drivers, "Drivers directory instead of the default");
    cmd->add_option("--encoding", options->encoding,
                    "Code page of the package's texts (default CP1252)")
        ->check(knownEncoding());
    cmd->add_flag("--json", options->json, "Print JSON (keys in docs/vendor-guide.md)");
    auto contents = std::make_shared<std::string>();
    cmd->add_option("--write-contents", *contents,
                    "Write each record's bytes to DIR/N, and the INF text the installer writes "
                    "to DIR/N.filtered");
    cmd->callback([options, target, drivers, contents, cmd, &context] {
        runGuarded(context, [&] {
            if (cmd->count("--target") > 0) options->target = *target;
            if (cmd->count("--drivers") > 0) options->drivers = *drivers;
            if (cmd->count("--write-contents") > 0) options->contents = fs::u8path(*contents);
            return runPlan(*options, context.out);
        });
    });
}

bool isSubcommand(const std::string& word) {
    for (const char* known : kSubcommands) {
        if (word == known) return true;
    }
    return false;
}

}  // namespace

std::string versionText() { return std::string("stowpack ") + STOWPACK_VERSION; }

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const fs::path& program) {
    CLI::App app{"stowpack: builds, inspects and plans Stowaway installers"};
    app.require_subcommand(1);
    app.set_version_flag("--version", versionText());
    app.footer("Exit codes of every subcommand: 0 success, 1 input refused (with a message),\n"
               "2 usage error.");
    Context context{out, err, program};
    addBuildCommand(app, context);
    addInspectCommand(app, context);
    addPlanCommand(app, context);

    if (!args.empty() && !args[0].empty() && args[0][0] != '-' && !isSubcommand(args[0])) {
        err << "stowpack: error: unknown subcommand \"" << args[0]
            << "\" (use build, inspect or plan; stowpack --help lists them)\n";
        return kExitUsage;
    }
    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::Success& e) {
        return app.exit(e, out, err) == 0 ? kExitSuccess : kExitUsage;
    } catch (const CLI::ParseError& e) {
        app.exit(e, out, err);
        return kExitUsage;
    }
    return context.exit_code;
}

}  // namespace stow::pack
