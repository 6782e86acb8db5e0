// Signed installers: signing a built installer puts the certificate table behind the package
// and changes nothing the loader reads; stowpack refuses stubs that are already signed or
// packed, and inspect reports where the signature lies. The signing tests make a throwaway
// certificate and need openssl and osslsigncode.
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
        EXPECT_EQ(info.isPe, c.pe) << c.name;
        EXPECT_EQ(info.signedImage(), c.is_signed) << c.name;
        if (c.is_signed) {
            EXPECT_EQ(info.tableOffset, c.offset) << c.name;
            EXPECT_EQ(info.tableSize, c.size) << c.name;
        }
    }
    EXPECT_EQ(readPeSignatureInfo(stub).checksumOffset, static_cast<int64_t>(test::kPeChecksumAt));
}

PackageContents sampleContents() {
    const int32_t stamp = 0x58612345;
    return test::packContents({test::packRecord(0x10, "ReadMe.txt", std::string(300, 'r'), stamp),
                               test::packRecord(0x25, "zydaq.inf", std::string(900, 'i'), stamp),
                               test::packRecord(0x02, "zydaq.dll", std::string(7000, 'd'), stamp)});
}

// Runs a shell command quietly; true on exit status 0.
bool run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

std::string quote(const fs::path& p) { return "'" + p.string() + "'"; }

class SigningTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!run("command -v osslsigncode") || !run("command -v openssl")) {
            GTEST_SKIP() << "osslsigncode or openssl is not installed";
        }
        key_ = dir() / "key.pem";
        cert_ = dir() / "cert.pem";
        ASSERT_TRUE(run("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "
                        "'/CN=Stowaway Test Signing' -keyout " + quote(key_) + " -out " +
                        quote(cert_)));
        summary_ = writeInstaller(test::peStub(), "stub", sampleContents(), dir() / "out.exe");
    }
    const fs::path& dir() const { return temp_.path(); }

    bool sign(const fs::path& in, const fs::path& out) {
        return run("osslsigncode sign -certs " + quote(cert_) + " -key " + quote(key_) +
                   " -n 'ZYLOR DAQ Suite' -h sha256 -in " + quote(in) + " -out " + quote(out));
    }
    bool verify(const fs::path& file) {
        return run("osslsigncode verify -CAfile " + quote(cert_) + " -in " + quote(file));
    }

    test::TempDir temp_;
    fs::path key_, cert_;
    BuildSummary summary_;
};

TEST_F(SigningTest, TheSignatureGoesBehindThePackageAndTheLoaderStillReadsIt) {
    const fs::path signed_file = dir() / "signed.exe";
    ASSERT_TRUE(sign(dir() / "out.exe", signed_file));
    ASSERT_TRUE(verify(signed_file));

    // Signing rewrote only the header's checksum and certificate directory and appended the
    // table: the locator and every byte of the package are where they were.
    const std::string before = readBytes(dir() / "out.exe");
    const std::string after = readBytes(signed_file);
    const int64_t package_end = summary_.packageOffset + summary_.packageLength;
    ASSERT_EQ(static_cast<int64_t>(before.size()), package_end);
    ASSERT_GT(after.size(), before.size());
    auto unsigned_fields = [](std::string image) {
        image.replace(test::kPeChecksumAt, 4, 4, '\0');
        return image.replace(test::kPeSecurityDirectoryAt, 8, 8, '\0');
    };
    EXPECT_TRUE(unsigned_fields(after.substr(0, before.size())) == unsigned_fields(before));

    const PackageFile p = readPackageFile(signed_file);
    ASSERT_EQ(p.loadErrorCode, -1) << p.loadErrorText;
    EXPECT_TRUE(p.isSigned);
    EXPECT_GE(p.signatureOffset, package_end);
    EXPECT_EQ(p.signatureOffset + p.signatureSize, p.fileSize);
    EXPECT_EQ(p.bytesBehind, p.fileSize - package_end);
    EXPECT_EQ(p.recordError, "");

    // The installer's own loader, given the locator bytes as the signed file holds them.
    test::expectLoaderReads(signed_file, test::kPeLocatorAt, sampleContents());

    int code = 0;
    const std::string report = test::inspectReport(signed_file, &code);
    EXPECT_EQ(code, 0) << report;
    EXPECT_NE(report.find("Signature:     certificate table at offset " +
                          std::to_string(p.signatureOffset) + ", " +
                          std::to_string(p.signatureSize) + " bytes, behind the package"),
              std::string::npos)
        << report;
    EXPECT_NE(report.find("loads without error"), std::string::npos) << report;
    EXPECT_NE(test::inspectReport(dir() / "out.exe", &code).find("Signature:     none"),
              std::string::npos);
}

TEST_F(SigningTest, StubsSignedTooEarlyAreRefusedOrReported) {
    // A signed installer, or a signed bare stub, cannot be the stub of a new build.
    ASSERT_TRUE(sign(dir() / "out.exe", dir() / "signed.exe"));
    writeBytes(dir() / "bare.exe", test::peStub());
    ASSERT_TRUE(sign(dir() / "bare.exe", dir() / "bare-signed.exe"));
    const std::string signed_stub = readBytes(dir() / "bare-signed.exe");
    for (const auto& [file, expected] :
         {std::pair{fs::path("signed.exe"), "already carries a package"},
          std::pair{fs::path("bare-signed.exe"), "is already signed (certificate table at"}}) {
        const std::string message = test::packRefusal([&, file = file] {
            writeInstaller(readBytes(dir() / file), file.string(), sampleContents(),
                           dir() / "again.exe");
        });
        EXPECT_NE(message.find(expected), std::string::npos) << file << ": " << message;
    }
    EXPECT_FALSE(fs::exists(dir() / "again.exe"));

    // Packed by hand behind a signed stub: the installer loads, but the signature lies before
    // the package and no longer verifies; inspect says so.
    const std::string built = readBytes(dir() / "out.exe");
    const std::string late =
        test::withInt32At(signed_stub, test::kPeLocatorAt + kLocatorDataOffset,
                          static_cast<int32_t>(signed_stub.size())) +
        built.substr(static_cast<size_t>(summary_.packageOffset));
    writeBytes(dir() / "late.exe", late);
    EXPECT_FALSE(verify(dir() / "late.exe"));
    int code = 0;
    const std::string report = test::inspectReport(dir() / "late.exe", &code);
    EXPECT_EQ(code, 0) << report;
    EXPECT_NE(report.find("not behind the package"), std::string::npos) << report;
}

}  // namespace
}  // namespace stow::pack
