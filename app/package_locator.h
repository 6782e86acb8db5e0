// The package locator in the installer image (its bytes are the package format's). The packaging
// step finds it in the finished exe and writes the package's file offset into its data bytes.
#pragma once

// The four data bytes, as they are in the running image.
const unsigned char* packageLocatorData();
