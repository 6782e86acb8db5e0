// Start-menu links: the COM sequence and its error texts, the group and fallback folders, the
// sub-groups, and whole link phases on a simulated machine.
#include "engine/shortcuts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace stow {
namespace {

// A shell whose steps answer from a script and which records the calls in order.
class RecordingShell : public ShellLinks {
public:
    std::vector<std::string> calls;
    std::string failAt;  // the call that answers failure
    HResult failure = static_cast<HResult>(0x80004005u);
    HResult initResult = kSOk;
    std::string text;  // errorText's answer

    HResult answer(const std::string& call) {
        calls.push_back(call);
        return call == failAt ? failure : kSOk;
    }
    HResult coInitialize() override {
        calls.push_back("CoInitialize");
        return failAt == "CoInitialize" ? failure : initResult;
    }
    void coUninitialize() override { calls.push_back("CoUninitialize"); }
    HResult createShellLink(std::unique_ptr<ShellLinkObject>& link) override {
        struct Link : ShellLinkObject {
            RecordingShell& shell;
            explicit Link(RecordingShell& s) : shell(s) {}
            ~Link() override { shell.calls.push_back("Release"); }
            HResult queryPersistFile() override { return shell.answer("QueryInterface"); }
            HResult setDescription(const std::string& t) override {
                return shell.answer("SetDescription " + t);
            }
            HResult setPath(const std::string& t) override { return shell.answer("SetPath " + t); }
            HResult setWorkingDirectory(const std::string& d) override {
                return shell.answer("SetWorkingDirectory " + d);
            }
            HResult save(const std::u16string& p) override {
                return shell.answer("Save " + std::string(p.begin(), p.end()));
            }
        };
        HResult hr = answer("CoCreateInstance");
        if (hr >= 0) link = std::make_unique<Link>(*this);
        return hr;
    }
    std::string errorText(HResult) override { return text; }
};

// Only the conversion matters to link creation; ASCII maps one to one.
class AsciiSystem : public System {
public:
    uint32_t platformId() override { return kPlatformWin32Nt; }
    bool isWow64() override { return false; }
    std::string windowsDirectory() override { return "C:\\WINDOWS"; }
    std::string systemDirectory() override { return "C:\\WINDOWS\\system32"; }
    std::string specialFolder(int) override { return ""; }
    void disableFsRedirection() override {}
    SetupService* findSetupService() override { return nullptr; }
    std::string commandLine() override { return "setup.exe"; }
    std::string executablePath() override { return "C:\\setup.exe"; }
    bool isLeadByte(unsigned char) override { return false; }
    std::u16string toUtf16(const std::string& text) override {
        return std::u16string(text.begin(), text.end());
    }
    LocalTime localTime() override { return {}; }
    std::string formatDateTime(const LocalTime&) override { return ""; }
    int messageBox(const std::string&, const std::string&, uint32_t) override { return kIdOk; }
};

TEST(CreateShellLink, CallsEachStepInOrderInsideOneCoInitialize) {
    RecordingShell shell;
    AsciiSystem system;
    createShellLink(shell, system, "C:\\Acme\\Demo.exe", "C:\\Menu\\Demo.lnk");
    EXPECT_EQ(shell.calls, (std::vector<std::string>{
                               "CoInitialize", "CoCreateInstance", "QueryInterface",
                               "SetDescription ", "SetPath C:\\Acme\\Demo.exe",
                               "SetWorkingDirectory C:\\Acme\\", "Save C:\\Menu\\Demo.lnk",
                               "Release", "CoUninitialize"}));
}

TEST(CreateShellLink, AlreadyInitialisedCountsAsSuccessAndIsStillBalanced) {
    RecordingShell shell;
    shell.initResult = kSFalse;
    AsciiSystem system;
    createShellLink(shell, system, "C:\\a.txt", "C:\\a.lnk");
    EXPECT_EQ(shell.calls.front(), "CoInitialize");
    EXPECT_EQ(shell.calls.back(), "CoUninitialize");
}

TEST(CreateShellLink, EveryFailingStepRaisesAndLeavesComBalanced) {
    const std::vector<std::string> steps = {"CoCreateInstance", "QueryInterface",
                                            "SetDescription ", "SetPath C:\\a.txt",
                                            "SetWorkingDirectory C:\\", "Save C:\\a.lnk"};
    for (const std::string& step : steps) {
        RecordingShell shell;
        shell.failAt = step;
        AsciiSystem system;
        try {
            createShellLink(shell, system, "C:\\a.txt", "C:\\a.lnk");
            ADD_FAILURE() << step << " did not raise";
        } catch (const EOleSysError& e) {
            EXPECT_EQ(e.code(), shell.failure) << step;
        }
        EXPECT_EQ(shell.calls.back(), "CoUninitialize") << step;
        EXPECT_EQ(std::count(shell.calls.begin(), shell.calls.end(), step), 1) << step;
        // Nothing after the failing step runs.
        auto failed = std::find(shell.calls.begin(), shell.calls.end(), step);
        for (auto it = failed + 1; it != shell.calls.end(); ++it) {
            EXPECT_TRUE(*it == "Release" || *it == "CoUninitialize") << step << " then " << *it;
        }
    }
}

TEST(CreateShellLink, FailedCoInitializeIsNotUninitialised) {
    RecordingShell shell;
    shell.failAt = "CoInitialize";
    shell.failure = static_cast<HResult>(0x8001010Eu);
    AsciiSystem system;
    EXPECT_THROW(createShellLink(shell, system, "C:\\a.txt", "C:\\a.lnk"), EOleSysError);
    EXPECT_EQ(shell.calls, std::vector<std::string>{"CoInitialize"});
}

TEST(CreateShellLink, PathBeyondTheSaveBufferFailsBeforeSaving) {
    AsciiSystem system;
    const std::string folder = "C:\\Menu\\";
    const std::string fits = folder + std::string(259 - folder.size() - 4, 'n') + ".lnk";
    ASSERT_EQ(fits.size(), 259u);
    {
        RecordingShell shell;
        createShellLink(shell, system, "C:\\a.txt", fits);
        EXPECT_EQ(shell.calls[6], "Save " + fits);
    }
    RecordingShell shell;
    try {
        createShellLink(shell, system, "C:\\a.txt", folder + "n" + fits.substr(folder.size()));
        ADD_FAILURE() << "a 260-character link path was saved";
    } catch (const EOleSysError& e) {
        EXPECT_EQ(e.code(), kLinkPathTooLong);
    }
    for (const std::string& call : shell.calls) EXPECT_NE(call.rfind("Save", 0), 0u) << call;
    EXPECT_EQ(shell.calls.back(), "CoUninitialize");
}

TEST(OleError, UsesTheSystemTextOrTheCodeInHex) {
    RecordingShell shell;
    shell.text = "Unspecified error\r\n";
    EXPECT_EQ(oleError(shell, static_cast<HResult>(0x80004005u)).describe(),
              "EOleSysError: Unspecified error");
    shell.text = "";
    EXPECT_EQ(oleError(shell, static_cast<HResult>(0x8004D00Au)).message(),
              "OLE error 8004d00a");
    EXPECT_EQ(oleError(shell, 5).message(), "OLE error 00000005");
}

TEST(ReplaceChar, ReplacesEveryOccurrenceOnly) {
    EXPECT_EQ(replaceChar("a/b//c", '/', '-'), "a-b--c");
    EXPECT_EQ(replaceChar("a\\b", '/', '-'), "a\\b");
}

}  // namespace
}  // namespace stow
