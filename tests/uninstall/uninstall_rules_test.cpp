// The uninstaller's pure rules: which texts pass as paths, what an INF names, the WININIT.INI
// edit, the command line and the program's name, and the report's exit code.
#include <gtest/gtest.h>

#include "uninstall/inf_references.h"
#include "uninstall/restart_delete.h"
#include "uninstall/uninstall_command_line.h"
#include "uninstall/uninstall_paths.h"
#include "uninstall/uninstall_report.h"

namespace stow {
namespace {

TEST(UninstallPaths, OnlyPlainAbsolutePathsPass) {
    const struct {
        std::string path;
        bool plain;
    } kCases[] = {
        {"C:\\Program Files\\ZYLOR\\a.txt", true}, {"c:\\x\\", true}, {"C:\\", true},
        {"C:\\a\\..\\b", false}, {"C:\\a\\.\\b", false}, {"C:\\a\\\\b", false},
        {"C:a\\b", false}, {"\\\\server\\share\\x", false}, {"C:\\a/b", false},
        {"C:\\a\\b.", false}, {"C:\\a\\*.txt", false}, {"C:\\a\x01", false}, {"", false},
        {"C:\\" + std::string(257, 'a'), false}, {"C:\\" + std::string(256, 'a'), true},
    };
    for (const auto& c : kCases) EXPECT_EQ(isPlainAbsolutePath(c.path), c.plain) << c.path;

    EXPECT_TRUE(isInsideDirectory("c:\\PROGRAM FILES\\z\\a", "C:\\Program Files\\Z\\"));
    EXPECT_FALSE(isInsideDirectory("C:\\Program Files\\Z2\\a", "C:\\Program Files\\Z\\"));
    EXPECT_FALSE(isInsideDirectory("C:\\Z\\", "C:\\Z\\"));
    EXPECT_EQ(parentDirectory("C:\\a\\b\\"), "C:\\a\\");
    EXPECT_EQ(parentDirectory("C:\\a\\"), "C:\\");
    EXPECT_EQ(parentDirectory("C:\\"), "");
}

TEST(InfReferences, CatalogsAndSourceDisksFilesWithTheirFolders) {
    const InfReferences refs = infReferences(
        "[Version]\r\nCatalogFile = zydaq.cat ; comment\r\nCatalogFile.NTamd64=\"z64.cat\"\r\n"
        "[SourceDisksNames]\r\n1 = %Disk%\r\n2 = \"Disk 2\",tag,,\\sub\r\n"
        "[SourceDisksFiles.x86]\r\nzydaq.sys = 1\r\n"
        "[SourceDisksFiles.amd64]\r\nzydaq.sys = 1,amd64\r\nhelp.dll = 2,x\r\n"
        "[SourceDisksFiles]\r\nevil.sys = 1,..\\..\r\n..\\up.sys = 1\r\n"
        "[Other]\r\nCatalogFile=not.cat\r\n");
    EXPECT_EQ(refs.files, (std::vector<std::string>{"zydaq.cat", "z64.cat", "zydaq.sys",
                                                    "amd64\\zydaq.sys", "sub\\x\\help.dll"}));
    EXPECT_EQ(refs.refused, (std::vector<std::string>{"evil.sys", "..\\up.sys"}));
    EXPECT_TRUE(infReferences(std::string("\xFF\xFE[\0V\0", 6)).files.empty());
}

TEST(RestartDelete, WininitKeepsEveryLineAndAddsToRename) {
    const struct {
        std::string before, after;
    } kCases[] = {
        {"", "[rename]\r\nNUL=C:\\X~1\\A.DLL\r\n"},
        {"[rename]\r\nNUL=C:\\OLD.DLL\r\n[other]\r\nk=v\r\n",
         "[rename]\r\nNUL=C:\\OLD.DLL\r\nNUL=C:\\X~1\\A.DLL\r\n[other]\r\nk=v\r\n"},
        {"[Other]\r\nk=v", "[Other]\r\nk=v\r\n[rename]\r\nNUL=C:\\X~1\\A.DLL\r\n"},
        {"[RENAME]\r\nNUL=C:\\OLD.DLL", "[RENAME]\r\nNUL=C:\\OLD.DLL\r\nNUL=C:\\X~1\\A.DLL\r\n"},
    };
    for (const auto& c : kCases) EXPECT_EQ(addWininitDelete(c.before, "C:\\X~1\\A.DLL"), c.after);
}

TEST(UninstallCommandLine, SwitchesAndTheVendorFromTheProgramName) {
    UninstallOptions o = parseUninstallCommandLine("\"C:\\W\\ZYLORUninstall.exe\" /s \"/LOG=C:\\a b.txt\"");
    EXPECT_TRUE(o.silent);
    EXPECT_EQ(o.logPath, "C:\\a b.txt");
    EXPECT_TRUE(o.unknown.empty());
    o = parseUninstallCommandLine("x.exe -S /LOG= /Q");
    EXPECT_TRUE(o.silent);
    EXPECT_EQ(o.unknown, "/LOG=");

    EXPECT_EQ(vendorFromProgramPath("C:\\WINDOWS\\Acme Corpuninstall.EXE"), "Acme Corp");
    EXPECT_EQ(vendorFromProgramPath("C:\\WINDOWS\\Uninstall.exe"), std::nullopt);
    EXPECT_EQ(vendorFromProgramPath("C:\\stowuninstall.exe"), "stow");  // a build-tree name
}

TEST(UninstallReport, ExitCodeAndText) {
    UninstallReport report;
    EXPECT_EQ(report.exitCode(), kExitDone);
    EXPECT_EQ(report.text(), "Nothing was removed.\r\n");
    report.add(Outcome::Removed, "C:\\a");
    report.add(Outcome::Scheduled, "C:\\b", "in use");
    EXPECT_EQ(report.exitCode(), kExitDone);
    report.add(Outcome::KeptShared, "C:\\c", "listed by another installation");
    EXPECT_EQ(report.exitCode(), kExitIncomplete);
    EXPECT_EQ(report.text(),
              "Removed when Windows restarts (in use now):\r\n  C:\\b (in use)\r\n\r\n"
              "Kept, another installation uses it:\r\n  C:\\c (listed by another installation)\r\n"
              "\r\nRemoved:\r\n  C:\\a\r\n");
}

}  // namespace
}  // namespace stow
