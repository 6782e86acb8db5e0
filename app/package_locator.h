// The package locator: a 12-byte marker in the installer image, "zxcv" + 4 data bytes + "vbnm".
// The packaging step finds the marker in the finished exe and writes the package's file offset
// (little-endian int32) into the data bytes; until then they hold "XXXX".
#pragma once

// The four data bytes, as they are in the running image.
const unsigned char* packageLocatorData();
