// Signed stubs: the certificate directory is read from any PE header, stowpack refuses stubs
// that are already signed or packed, and inspect reports a signature made too early. (A
// signature made after the build, behind the package, is the Wine install-signed scenario's.)
// The signing tests make a throwaway certificate and need openssl and osslsigncode.
#include <gtest/gtest.h>

#include <cstdlib>

#include "stowpack/package_file.h"
#include "stowpack/pe_image.h"
#include "support/temp_dir.h"
#include "tools/pack_support.h"
#include "tools/pe_stub.h"

namespace stow::pack {
namespace {

namespace fs = std::filesystem;
using test::readBytes;
using test::writeBytes;

TEST(PeSignatureInfoTest, ReadsTheHeaderAndToleratesDamage) {
    const std::string stub = test::peStub();
    std::string signed_stub = stub;
    test::putLe(signed_stub, test::kPeSecurityDirectoryAt, 9000, 4);
    test::putLe(signed_stub, test::kPeSecurityDirectoryAt + 4, 1500, 4);
    // PE32+: the fixed fields are 16 bytes longer, so directory 4 moves with them.
    std::string plus = signed_stub;
    test::putLe(plus, test::kPeOptionalAt, 0x20B, 2);
    test::putLe(plus, test::kPeHeaderAt + 4 + 16, 0xF0, 2);
    test::putLe(plus, test::kPeOptionalAt + 108, 16, 4);
    test::putLe(plus, test::kPeSecurityDirectoryAt + 16, 7000, 4);
    test::putLe(plus, test::kPeSecurityDirectoryAt + 20, 700, 4);
    std::string few_directories = signed_stub;
    test::putLe(few_directories, test::kPeOptionalAt + 92, 4, 4);
    std::string far_header = stub;
    test::putLe(far_header, 0x3C, 0xFFFFFFF0, 4);

    struct Case {
        const char* name;
        std::string head;
        bool pe;
        bool is_signed;
        int64_t offset = 0, size = 0;
    };
    const Case cases[] = {
        {"unsigned", stub, true, false},
        {"signed", signed_stub, true, true, 9000, 1500},
        {"PE32+", plus, true, true, 7000, 700},
        {"only four directories", few_directories, true, false},
        {"no MZ", std::string(4096, 'M'), false, false},
        {"header offset far out", far_header, false, false},
        {"cut inside the optional header", stub.substr(0, test::kPeOptionalAt + 40), false, false},
        {"cut before directory 4", stub.substr(0, test::kPeSecurityDirectoryAt + 4), true, false},
        {"no PE signature", std::string(stub).replace(test::kPeHeaderAt, 2, "NE"), false, false},
        {"unknown magic", std::string(stub).replace(test::kPeOptionalAt, 2, "\x07\x01"), false,
         false},
        {"tiny", "MZ", false, false},
    };
    for (const Case& c : cases) {
        const PeSignatureInfo info = readPeSignatureInfo(c.head);
        EXPECT_EQ(std::make_tuple(info.isPe, info.signedImage(), info.tableOffset, info.tableSize),
                  std::make_tuple(c.pe, c.is_signed, c.offset, c.size))
            << c.name;
    }
    EXPECT_EQ(readPeSignatureInfo(stub).checksumOffset, static_cast<int64_t>(test::kPeChecksumAt));
}

// Runs a shell command quietly; true on exit status 0.
bool run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

std::string quote(const fs::path& p) { return "'" + p.string() + "'"; }

TEST(SigningTest, StubsSignedTooEarlyAreRefusedOrReported) {
    if (!run("command -v osslsigncode") || !run("command -v openssl")) {
        GTEST_SKIP() << "osslsigncode or openssl is not installed";
    }
    test::TempDir temp;
    const fs::path& dir = temp.path();
    const std::string cert = quote(dir / "cert.pem");
    ASSERT_TRUE(run("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "
                    "'/CN=Stowaway Test Signing' -keyout " + quote(dir / "key.pem") + " -out " +
                    cert));
    writeBytes(dir / "bare.exe", test::peStub());
    ASSERT_TRUE(run("osslsigncode sign -certs " + cert + " -key " + quote(dir / "key.pem") +
                    " -n 'ZYLOR DAQ Suite' -h sha256 -in " + quote(dir / "bare.exe") + " -out " +
                    quote(dir / "bare-signed.exe")));
    const std::string signed_stub = readBytes(dir / "bare-signed.exe");
    const PackageContents contents =
        test::packContents({test::packRecord(0x10, "ReadMe.txt", std::string(300, 'r')),
                            test::packRecord(0x02, "zydaq.dll", std::string(7000, 'd'))});

    // A signed stub cannot be the stub of a new build. (A signed installer is refused as a
    // stub that already carries a package, as every packed stub is.)
    const std::string message = test::packRefusal(
        [&] { writeInstaller(signed_stub, "bare-signed.exe", contents, dir / "again.exe"); });
    EXPECT_NE(message.find("is already signed (certificate table at"), std::string::npos)
        << message;
    EXPECT_FALSE(fs::exists(dir / "again.exe"));

    // Packed by hand behind a signed stub: the installer loads, but the signature lies before
    // the package and no longer verifies; inspect says so.
    const BuildSummary summary =
        writeInstaller(test::peStub(), "stub", contents, dir / "out.exe");
    const std::string late =
        test::withInt32At(signed_stub, test::kPeLocatorAt + kLocatorDataOffset,
                          static_cast<int32_t>(signed_stub.size())) +
        readBytes(dir / "out.exe").substr(static_cast<size_t>(summary.packageOffset));
    writeBytes(dir / "late.exe", late);
    EXPECT_FALSE(run("osslsigncode verify -CAfile " + cert + " -in " + quote(dir / "late.exe")));
    int code = 0;
    const std::string report = test::inspectReport(dir / "late.exe", &code);
    EXPECT_EQ(code, 0) << report;
    EXPECT_NE(report.find("not behind the package"), std::string::npos) << report;
    EXPECT_NE(test::inspectReport(dir / "out.exe", &code).find("Signature:     none"),
              std::string::npos);
}

}  // namespace
}  // namespace stow::pack
