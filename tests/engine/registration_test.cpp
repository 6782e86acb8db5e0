// Registration: the report texts, the date value, and whole registrations on a simulated
// machine whose registry may be writable, partly denied, failing mid-write or read-only.
#include "engine/registration.h"

#include <gtest/gtest.h>

namespace stow {
namespace {

TEST(CompletionReport, WithoutFailedCopiesIsTheFixedText) {
    EXPECT_EQ(completionReport({}, "C:\\Temp"),
              "Installation complete!\r\nSamples and docs are linked from the Start menu.");
}

TEST(CompletionReport, ListsFailedCopiesInOrderAfterTheCurrentDirectory) {
    EXPECT_EQ(completionReport({"C:\\Acme\\b.dll", "C:\\WINDOWS\\a.sys"}, "C:\\"),
              "Installation complete!\r\nSamples and docs are linked from the Start menu."
              "\r\nThese files failed to copy, and were placed in C:\\:"
              "\r\nC:\\Acme\\b.dll\r\nC:\\WINDOWS\\a.sys");
}

TEST(InstallDate, IsEightZeroPaddedDigits) {
    EXPECT_EQ(installDate(LocalTime{2026, 3, 7, 23, 59, 59}), "20260307");
    EXPECT_EQ(installDate(LocalTime{999, 12, 31}), "09991231");
}

TEST(RegistrationKeys, AreNamedAfterTheVendor) {
    EXPECT_EQ(installedPackagesKeyPath("Acme"), "Software\\Acme\\Installed Packages");
    EXPECT_EQ(uninstallKeyPath("Acme"),
              "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Acme Data Acquisition");
    InstallLocations locations;
    locations.windowsPath = "C:\\WINDOWS\\";
    EXPECT_EQ(uninstallerPath(locations, "Acme"), "C:\\WINDOWS\\AcmeUninstall.exe");
}

}  // namespace
}  // namespace stow
