// Where the "ZYLOR" "DAQ Suite" test package installs by default on the simulated 32-bit NT
// machine, and the keys it writes: for the tests that install it whole.
#pragma once

#include <string>

namespace stow::test::sample {

inline const std::string kTarget = "C:\\Program Files\\ZYLOR\\DAQ Suite\\";
inline const std::string kDrivers = "C:\\Program Files\\ZYLOR\\Common Drivers\\";
inline const std::string kPackagesKey = "Software\\ZYLOR\\Installed Packages";
inline const std::string kUninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZYLOR Data Acquisition";

}  // namespace stow::test::sample
