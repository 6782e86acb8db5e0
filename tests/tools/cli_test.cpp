// The command-line layer: exit codes and messages of every subcommand, every refusal of an
// output that would harm an input, the default stub, and that nothing is left behind, also when
// a build is stopped by a signal.
#include "stowpack/cli.h"
#include "stowpack/host_os.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <regex>
#include <sstream>
#include <thread>

#include "support/temp_dir.h"
#include "tools/pack_support.h"

extern char** environ;

namespace stow::pack {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::writeBytes;

const char kManifest[] = R"(vendor = "ZYLOR"
package = "DAQ Suite"
uninstaller = false
[[file]]
placement = 16
path = "a.txt"
source = "files/a.txt"
)";

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::unsetenv("STOWAWAY_STUB");
        writeBytes(dir() / "stub.exe", test::fakeStub());
        writeBytes(dir() / "files/a.txt", "alpha");
        writeBytes(dir() / "m.toml", kManifest);
        ASSERT_EQ(run({"build", "$D/m.toml", "-o", "$D/built.exe", "--stub", "$D/stub.exe"}).code, 0);
    }
    const fs::path& dir() const { return temp_.path(); }

    struct Result {
        int code;
        std::string out, err;
    };
    // "$D" in an argument stands for the test's folder.
    Result run(std::vector<std::string> args, const fs::path& program = "/nowhere/stowpack") {
        for (std::string& a : args) a = std::regex_replace(a, std::regex("\\$D"), dir().string());
        std::ostringstream out, err;
        const int code = runCli(args, out, err, program);
        return {code, out.str(), err.str()};
    }

    // Every file below the folder with its bytes.
    std::map<std::string, std::string> snapshot() const {
        std::map<std::string, std::string> files;
        for (const auto& e : fs::recursive_directory_iterator(dir())) {
            if (e.is_regular_file()) files[e.path().string()] = readBytes(e.path());
        }
        return files;
    }

    test::TempDir temp_;
};

TEST_F(CliTest, ExitCodesAndMessages) {
    writeBytes(dir() / "bad.toml", "vendor = \"V\"\npackage = \"P\"\nvendr = 1\n");
    struct Case {
        std::vector<std::string> args;
        int code;
        const char* expected;  // in stdout or stderr
    };
    const Case cases[] = {
        {{"--version"}, 0, "stowpack "},
        {{"--help"}, 0, "Exit codes of every subcommand"},
        {{}, 2, "A subcommand is required"},
        {{"frobnicate"}, 2, "unknown subcommand \"frobnicate\""},
        {{"build", "$D/m.toml"}, 2, "--output is required"},
        {{"build", "$D/m.toml", "-o", "$D/x.exe", "--stub"}, 2, "--stub"},
        {{"plan", "$D/built.exe", "--profile", "nt128"}, 2, "nt128"},
        {{"inspect", "$D/built.exe", "--encoding", "NOPE"}, 2, "unknown encoding"},
        {{"inspect", "$D/none.exe"}, 1, "stowpack: error: "},
        {{"plan", "$D/stub.exe", "--profile", "nt32"}, 1,
         "The installer would not load its package: Load Error 00h: "},
        {{"plan", "$D/built.exe", "--profile", "all"}, 0, "on nt-no-setupapi"},
        {{"inspect", "$D/built.exe", "--json"}, 0, "\"recordCount\": 1"},
        {{"inspect", "$D/stub.exe", "--json"}, 1, "\"caption\": \"Load Error 00h\""},
        {{"plan", "$D/built.exe", "--profile", "all", "--json"}, 0,
         "\"profile\": \"nt-no-setupapi\""},
        {{"plan", "$D/stub.exe", "--profile", "all", "--json"}, 1, "\"plans\": []"},
        {{"build", "$D/bad.toml", "-o", "$D/x.exe", "--stub", "$D/stub.exe"}, 1,
         "/bad.toml:3:1: error: unknown key \"vendr\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        const Result r = run(c.args);
        EXPECT_EQ(r.code, c.code) << r.out << r.err;
        EXPECT_NE((r.out + r.err).find(c.expected), std::string::npos) << r.out << r.err;
    }
}

TEST_F(CliTest, RefusesOutputsThatWouldHarmAnInput) {
    fs::create_hard_link(dir() / "files/a.txt", dir() / "alias.txt");
    fs::create_symlink(dir() / "m.toml", dir() / "link.toml");
    ASSERT_EQ(::mkfifo((dir() / "fifo").c_str(), 0600), 0);
    struct Case {
        const char* output;
        const char* expected;
    };
    const Case cases[] = {
        {"$D/stub.exe", "it is the stub"},
        {"$D/m.toml", "it is the manifest"},
        {"$D/link.toml", "it is the manifest"},
        {"$D/files/a.txt", "it is the source of record #1"},
        {"$D/alias.txt", "it is the source of record #1"},
        {"/dev/null", "it is a character device"},
        {"$D/files", "it is a folder"},
        {"$D/fifo", "it is a FIFO"},
        {"$D/missing/x.exe", "folder $D/missing does not exist"},
    };
    const auto before = snapshot();
    for (const Case& c : cases) {
        const Result r = run({"build", "$D/m.toml", "-o", c.output, "--stub", "$D/stub.exe"});
        const std::string expected =
            std::regex_replace(c.expected, std::regex("\\$D"), dir().string());
        EXPECT_EQ(r.code, 1) << c.output;
        EXPECT_NE(r.err.find(expected), std::string::npos) << c.output << ": " << r.err;
        EXPECT_EQ(snapshot(), before) << c.output;
    }
}

TEST_F(CliTest, FindsTheDefaultStubBesideItselfOrNamesBothWaysToGiveOne) {
    const Result missing = run({"build", "$D/m.toml", "-o", "$D/x.exe"}, dir() / "bin/stowpack");
    EXPECT_EQ(missing.code, 1);
    for (const char* part : {"no installer stub at", "bin/stowaway.exe", "--stub", "STOWAWAY_STUB"}) {
        EXPECT_NE(missing.err.find(part), std::string::npos) << missing.err;
    }
    EXPECT_FALSE(fs::exists(dir() / "x.exe"));

    fs::create_directories(dir() / "bin");
    fs::copy_file(dir() / "stub.exe", dir() / "bin/stowaway.exe");
    EXPECT_EQ(run({"build", "$D/m.toml", "-o", "$D/x.exe"}, dir() / "bin/stowpack").code, 0);
    EXPECT_EQ(readBytes(dir() / "x.exe"), readBytes(dir() / "built.exe"));

    ::setenv("STOWAWAY_STUB", (dir() / "none.exe").c_str(), 1);
    EXPECT_EQ(run({"build", "$D/m.toml", "-o", "$D/y.exe"}, dir() / "bin/stowpack").code, 1);
    ::unsetenv("STOWAWAY_STUB");
}

// The real program, stopped by a signal while it writes a large installer: the temporary file
// goes, the old output stays.
TEST_F(CliTest, ASignalInTheMiddleOfABuildLeavesNothingBehind) {
    const fs::path stowpack = runningProgramPath("").parent_path() / "tools/stowpack";
    ASSERT_TRUE(fs::exists(stowpack)) << stowpack;
    writeBytes(dir() / "files/big.bin", "");
    fs::resize_file(dir() / "files/big.bin", 512 << 20);  // sparse: cheap to read
    writeBytes(dir() / "big.toml", "vendor = \"V\"\npackage = \"P\"\nuninstaller = false\n[[file]]\nplacement = 16\n"
                                   "path = \"big.bin\"\nsource = \"files/big.bin\"\n");
    writeBytes(dir() / "out.exe", "previous");
    std::vector<std::string> words{stowpack.string(), "build", (dir() / "big.toml").string(),
                                   "-o", (dir() / "out.exe").string(),
                                   "--stub", (dir() / "stub.exe").string()};
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(&w[0]);
    argv.push_back(nullptr);
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
        pid_t pid = 0;
        ASSERT_EQ(::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ), 0);
        // Wait until the temporary file exists and has grown, then stop the build.
        bool writing = false;
        for (int i = 0; i < 20000 && !writing; ++i) {
            for (uintmax_t size : test::temporaryOutputs(dir())) writing |= size > (1 << 20);
            if (!writing) std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        ASSERT_TRUE(writing) << "the build never began writing";
        ::kill(pid, signal_number);
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number) << signal_number;
        EXPECT_TRUE(test::temporaryOutputs(dir()).empty()) << "after signal " << signal_number;
        EXPECT_EQ(readBytes(dir() / "out.exe"), "previous");
    }
}

}  // namespace
}  // namespace stow::pack
