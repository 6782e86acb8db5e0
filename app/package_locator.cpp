// The locator must sit in the image exactly once and in one piece, or the packaging step cannot
// patch it: a volatile array with external linkage keeps the compiler from folding it into
// constants, merging it with other strings, splitting it or dropping it.

#include "app/package_locator.h"

#include "package/format.h"

// Assembled byte by byte from the format's parts, which stay compile-time constants: no second
// copy of the bytes lands in the image.
extern const volatile char kPackageLocator[stow::kLocatorSize + 1];
__attribute__((used)) const volatile char kPackageLocator[stow::kLocatorSize + 1] = {
    stow::kLocatorHead[0],      stow::kLocatorHead[1],      stow::kLocatorHead[2],
    stow::kLocatorHead[3],      stow::kLocatorUnpatched[0], stow::kLocatorUnpatched[1],
    stow::kLocatorUnpatched[2], stow::kLocatorUnpatched[3], stow::kLocatorTail[0],
    stow::kLocatorTail[1],      stow::kLocatorTail[2],      stow::kLocatorTail[3],
    '\0'};

const unsigned char* packageLocatorData() {
    // Read through the volatile array, so the bytes come from the patched image, never from
    // what the compiler saw in the initialiser.
    static unsigned char data[4];
    for (int i = 0; i < 4; ++i) {
        data[i] = static_cast<unsigned char>(kPackageLocator[stow::kLocatorDataOffset + i]);
    }
    return data;
}
