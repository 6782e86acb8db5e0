// The locator must sit in the image exactly once and in one piece, or the packaging step cannot
// patch it: a volatile array with external linkage keeps the compiler from folding it into
// constants, merging it with other strings, splitting it or dropping it.

#include "app/package_locator.h"

extern const volatile char kPackageLocator[13];
__attribute__((used)) const volatile char kPackageLocator[13] = "zxcvXXXXvbnm";

const unsigned char* packageLocatorData() {
    // Read through the volatile array, so the bytes come from the patched image, never from
    // what the compiler saw in the initialiser.
    static unsigned char data[4];
    for (int i = 0; i < 4; ++i) data[i] = static_cast<unsigned char>(kPackageLocator[4 + i]);
    return data;
}
