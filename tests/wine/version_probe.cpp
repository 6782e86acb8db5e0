// Reads a built installer's resources back as Windows programs see them: the version texts and
// numbers through GetFileVersionInfoA / VerQueryValueA, and the manifest (type 24, id 1).
//   version_probe FILE      prints key="value" lines, fixed=a.b.c.d, manifest=... ; status 1
//                           when a part is missing
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr const char* kKeys[] = {"CompanyName",    "FileDescription", "FileVersion",
                                 "LegalCopyright", "ProductName",     "ProductVersion"};

int versionTexts(const char* file) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(file, &ignored);
    if (size == 0) {
        std::printf("versioninfo=none\n");
        return 1;
    }
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(file, 0, size, block.data())) {
        std::printf("versioninfo=unreadable\n");
        return 1;
    }
    int status = 0;
    for (const char* key : kKeys) {
        const std::string path = std::string("\\StringFileInfo\\040904B0\\") + key;
        char* value = nullptr;
        UINT length = 0;
        if (VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) &&
            value) {
            std::printf("%s=\"%s\"\n", key, value);
        } else {
            std::printf("%s=missing\n", key);
            status = 1;
        }
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) && fixed) {
        std::printf("fixed=%u.%u.%u.%u\n", HIWORD(fixed->dwFileVersionMS),
                    LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                    LOWORD(fixed->dwFileVersionLS));
    } else {
        std::printf("fixed=missing\n");
        status = 1;
    }
    return status;
}

int manifest(const char* file) {
    HMODULE module = LoadLibraryExA(file, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) {
        std::printf("manifest=unloadable\n");
        return 1;
    }
    int status = 1;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    if (found) {
        const char* text = static_cast<const char*>(LockResource(LoadResource(module, found)));
        const std::string xml(text ? text : "", text ? SizeofResource(module, found) : 0);
        const bool admin = xml.find("level=\"requireAdministrator\"") != std::string::npos;
        const bool common_controls = xml.find("Microsoft.Windows.Common-Controls") != std::string::npos;
        const bool compatibility = xml.find("compatibility") != std::string::npos;
        std::printf("manifest=found requireAdministrator=%d common-controls=%d compatibility=%d\n",
                    admin ? 1 : 0, common_controls ? 1 : 0, compatibility ? 1 : 0);
        status = admin && !common_controls && !compatibility ? 0 : 1;
    } else {
        std::printf("manifest=none\n");
    }
    FreeLibrary(module);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: version_probe FILE\n");
        return 2;
    }
    const int texts = versionTexts(argv[1]);
    const int found = manifest(argv[1]);
    return texts | found;
}
