// Finds the package appended to the installer through the locator's four data bytes, checks it
// against the file, and reads the header. Failures are numbered load errors.
#pragma once

#include <string>

#include "engine/install_state.h"
#include "platform/platform.h"

namespace stow {

// A numbered load error: 0x00-0x04 for the file checks, 0xFF for any error raised while loading.
class LoadError : public std::exception {
public:
    LoadError(int code, std::string detail = {}) : code_(code), detail_(std::move(detail)) {}
    int code() const { return code_; }
    // "Load Error 03h"
    std::string caption() const;
    // The message box text; for 0xFF it ends with the error's "ClassName: message".
    std::string text() const;
    const char* what() const noexcept override { return "load error"; }

private:
    int code_;
    std::string detail_;
};

// Loads the package of the executable at exe_path whose locator holds locator_data (the four
// bytes between "zxcv" and "vbnm"). Throws LoadError; never anything else.
LoadedPackage loadPackage(FileSystem& files, const std::string& exe_path,
                          const unsigned char locator_data[4]);

// Shows the load error's box: OK button, exclamation icon.
void showLoadError(System& system, const LoadError& error);

}  // namespace stow
