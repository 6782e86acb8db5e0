// Finds the package appended to the installer through the locator's four data bytes, checks it
// against the file, and reads the header. Failures are numbered load errors.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/error.h"
#include "engine/install_state.h"
#include "platform/file_system.h"

namespace stow {

// The package offset P that the locator's four data bytes hold. Throws LoadError 0x00 (not
// patched) or 0x01 (out of range); checked before the installer's file is opened.
int64_t packageOffset(const unsigned char locator_data[4]);

// Reads the package at offset of the installer's own file; the stream keeps the file. Throws
// LoadError; never anything else.
LoadedPackage loadPackage(std::unique_ptr<File> file, int64_t offset);
// Both steps, for callers that hold the file already.
LoadedPackage loadPackage(std::unique_ptr<File> file, const unsigned char locator_data[4]);

}  // namespace stow
