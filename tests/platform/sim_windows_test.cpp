// The simulated Windows that every engine and UI test stands on: path rules, case-insensitive
// lookup, enumeration, faults of the file system, registry keys and process facts. Its registry
// faults and each profile's folders are checked through the installer's phases that meet them.
#include "platform/sim/sim_windows.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace stow::sim {
namespace {

std::string readAll(File& file) {
    std::string out;
    char buffer[256];
    size_t got;
    while ((got = file.read(buffer, sizeof buffer)) > 0) out.append(buffer, got);
    return out;
}

std::vector<std::string> names(FileSystem& files, const std::string& pattern) {
    std::vector<std::string> out;
    auto finder = files.findFirst(pattern);
    if (!finder) return out;
    FindEntry entry;
    while (finder->next(entry)) out.push_back(entry.name);
    return out;
}

class SimWindowsTest : public ::testing::Test {
protected:
    explicit SimWindowsTest(Profile profile = Profile::Nt32) : sim_(profile, temp_.path()) {}
    FileSystem& files() { return sim_.platform().files; }
    bool create(const std::string& path, const std::string& content = "x") {
        auto file = files().create(path);
        return file && file->write(content.data(), content.size());
    }

    test::TempDir temp_;
    SimWindows sim_;
};

TEST_F(SimWindowsTest, LookupIgnoresCaseAndKeepsTheCaseGiven) {
    ASSERT_TRUE(files().createDirectory("C:\\Program Files\\Acme"));
    ASSERT_TRUE(create("c:\\PROGRAM FILES\\acme\\ReadMe.TXT", "hello"));

    EXPECT_TRUE(std::filesystem::exists(temp_.path() / "C" / "Program Files" / "Acme" / "ReadMe.TXT"));
    auto file = files().openRead("C:\\program files\\ACME\\readme.txt");
    ASSERT_TRUE(file);
    EXPECT_EQ(readAll(*file), "hello");
    EXPECT_EQ(names(files(), "C:\\Program Files\\Acme\\*.txt"), (std::vector<std::string>{"ReadMe.TXT"}));
    // Creating under another case empties the same file instead of making a second one.
    ASSERT_TRUE(create("C:\\Program Files\\Acme\\README.txt", "new"));
    EXPECT_EQ(sim_.listFiles("C:\\Program Files\\Acme"), (std::vector<std::string>{"ReadMe.TXT"}));
    EXPECT_EQ(sim_.readFile("c:\\program files\\acme\\readme.txt"), "new");
}

TEST_F(SimWindowsTest, PathFormsResolveAgainstTheCurrentDirectory) {
    sim_.writeFile("C:\\Data\\Sub\\f.txt", "f");
    sim_.addDrive('D');
    sim_.writeFile("D:\\Other\\g.txt", "g");
    ASSERT_TRUE(files().setCurrentDirectory("C:\\Data"));

    struct Case {
        const char* path;
        bool is_file;
    };
    const Case cases[] = {
        {"C:\\Data\\Sub\\f.txt", true},  {"Sub\\f.txt", true},        {".\\Sub\\.\\f.txt", true},
        {"Sub\\..\\Sub\\f.txt", true},   {"\\Data\\Sub\\f.txt", true}, {"C:Sub\\f.txt", true},
        {"C:/Data/Sub//f.txt", true},    {"Sub\\f.txt.", true},        {"..\\..\\Data\\Sub\\f.txt", true},
        {"D:\\Other\\g.txt", true},      {"D:Other\\g.txt", true},     {"f.txt", false},
        {"E:\\Other\\g.txt", false},     {"\\\\server\\share\\f.txt", false}, {"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(files().attributes(c.path) == kAttrArchive, c.is_file) << c.path;
    }
    EXPECT_EQ(files().attributes("Sub\\"), kAttrDirectory);
    EXPECT_EQ(files().attributes("D:\\"), kAttrDirectory);
}

TEST_F(SimWindowsTest, CurrentDirectoryIsReportedWithoutTrailingSeparator) {
    EXPECT_EQ(files().currentDirectory(), "C:\\");
    sim_.makeDirectories("C:\\Work\\Deep");
    EXPECT_TRUE(files().setCurrentDirectory("C:\\Work\\"));
    EXPECT_EQ(files().currentDirectory(), "C:\\Work");
    EXPECT_TRUE(files().setCurrentDirectory("Deep"));
    EXPECT_EQ(files().currentDirectory(), "C:\\Work\\Deep");
    EXPECT_TRUE(files().setCurrentDirectory(".."));
    EXPECT_EQ(files().currentDirectory(), "C:\\Work");
}

TEST_F(SimWindowsTest, CreateAndCreateDirectoryRefuseWhatWindowsRefuses) {
    sim_.makeDirectories("C:\\Dir");
    sim_.faults().accessDenied = {"c:\\locked\\"};
    sim_.makeDirectories("C:\\Locked");

    // Each name is tried as a file, and with "d" appended as a folder.
    struct Case {
        const char* path;
        bool ok;
    };
    const Case cases[] = {
        {"C:\\Dir\\new", true},
        {"C:\\Missing\\new", false},      // no parent
        {"C:\\Locked\\new", false},       // access denied
        {"C:\\LOCKED\\Sub\\new", false},
        {"C:\\Lockedness", true},          // a prefix of a name is not the folder
        {"C:\\Dir\\a<b", false},
        {"C:\\Dir\\a|b", false},
        {"C:\\Dir\\a\"b", false},
        {"C:\\Dir\\a?b", false},
        {"C:\\Dir\\a*b", false},
        {"C:\\Dir\\a\tb", false},
        {"C:\\Dir\\a:b", false},
        {"C:\\Dir\\CO", true},
        {"C:\\Dir\\lpt1.tx", false},       // a device, whatever the extension
        {"Q:\\new", false},               // no such drive
    };
    for (const Case& c : cases) {
        std::string file = c.path;
        EXPECT_EQ(files().create(file) != nullptr, c.ok) << file;
        EXPECT_EQ(files().createDirectory(file + "d"), c.ok) << file + "d";
    }
    EXPECT_EQ(files().create("C:\\Dir\\CON"), nullptr);
    EXPECT_EQ(files().create("C:\\Dir"), nullptr);  // a folder is not emptied
    sim_.writeFile("C:\\Dir\\ro", "x");
    sim_.setAttributes("C:\\Dir\\ro", kAttrReadOnly);
    EXPECT_EQ(files().create("C:\\Dir\\ro"), nullptr);  // nor a read-only file
    EXPECT_FALSE(files().createDirectory("C:\\Dir"));
    EXPECT_FALSE(files().createDirectory("C:\\Dir\\newd"));  // it exists now
}

TEST_F(SimWindowsTest, FindFirstListsDotsThenNamesInCaseInsensitiveOrder) {
    for (const char* name : {"b.inf", "A.INF", "c.txt", "setup.info", "README"}) {
        sim_.writeFile(std::string("C:\\Drv\\") + name, name);
    }
    sim_.makeDirectories("C:\\Drv\\sub.inf");
    sim_.setAttributes("C:\\Drv\\c.txt", kAttrHidden | kAttrSystem);

    struct Case {
        const char* pattern;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"C:\\Drv\\*.inf", {"A.INF", "b.inf", "sub.inf"}},
        {"C:\\drv\\*.*", {".", "..", "A.INF", "b.inf", "c.txt", "README", "setup.info", "sub.inf"}},
        {"C:\\Drv\\*", {".", "..", "A.INF", "b.inf", "c.txt", "README", "setup.info", "sub.inf"}},
        {"C:\\Drv\\?.inf", {"A.INF", "b.inf"}},
        {"C:\\Drv\\readme.*", {"README"}},
        {"C:\\Drv\\README", {"README"}},
        {"C:\\Drv\\*.exe", {}},
        {"C:\\Missing\\*.*", {}},
        {"C:\\Drv\\", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(names(files(), c.pattern), c.expected) << c.pattern;
    EXPECT_EQ(files().findFirst("C:\\Drv\\*.exe"), nullptr);
    // A drive root has no "." or "..".
    EXPECT_EQ(names(files(), "C:\\*.*").front(), "Drv");
}

TEST_F(SimWindowsTest, WritesStopWhenTheDiskIsFull) {
    sim_.faults().diskFreeBytes = 10;
    auto first = files().create("C:\\a.bin");
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->write("123456", 6));
    auto second = files().create("C:\\b.bin");
    EXPECT_FALSE(second->write("abcdef", 6));  // four bytes fit
    EXPECT_FALSE(second->write("z", 1));
    first.reset();
    second.reset();
    EXPECT_EQ(sim_.readFile("C:\\b.bin"), "abcd");
    sim_.faults().diskFreeBytes.reset();
    EXPECT_TRUE(create("C:\\c.bin", "plenty"));
}

// --- registry ---

TEST_F(SimWindowsTest, RegistryKeysIgnoreCaseAndDeleteWithTheirSubkeys) {
    Registry& reg = sim_.platform().registry;
    auto key = reg.openOrCreate("Software\\Acme\\INF", kKeyAllAccess);
    ASSERT_TRUE(key);
    EXPECT_TRUE(key->setString("C:\\Drivers\\a.inf", "oem0.inf"));
    EXPECT_TRUE(reg.openOrCreate("SOFTWARE\\acme\\inf", kKeyAllAccess)->setString("C:\\DRIVERS\\A.INF", "oem1.inf"));
    EXPECT_TRUE(reg.openOrCreate("Software\\Acme!", kKeyAllAccess));

    RegistryView view = sim_.processView();
    EXPECT_TRUE(sim_.registryKeyExists(view, "software\\ACME"));
    EXPECT_EQ(sim_.registryValue(view, "Software\\Acme\\INF", "c:\\drivers\\a.inf"), "oem1.inf");
    EXPECT_EQ(sim_.registryValues(view, "Software\\Acme\\INF"),
              (std::map<std::string, std::string>{{"C:\\Drivers\\a.inf", "oem1.inf"}}));

    EXPECT_TRUE(reg.deleteTree("software\\acme"));
    EXPECT_FALSE(sim_.registryKeyExists(view, "Software\\Acme\\INF"));
    EXPECT_FALSE(sim_.registryKeyExists(view, "Software\\Acme"));
    EXPECT_TRUE(sim_.registryKeyExists(view, "Software\\Acme!"));
    EXPECT_FALSE(reg.deleteTree("Software\\Acme"));
    EXPECT_FALSE(key->setString("late", "x"));  // its key is gone
    EXPECT_FALSE(reg.openOrCreate("\\Software\\X", kKeyAllAccess));
    EXPECT_FALSE(reg.openOrCreate("Software\\\\X", kKeyAllAccess));
}

TEST_F(SimWindowsTest, ClockAndTextConversion) {
    System& system = sim_.platform().system;
    EXPECT_EQ(system.formatDateTime(system.localTime()), "3/7/2026 2:05:09 PM");
    EXPECT_EQ(system.formatDateTime(LocalTime{2025, 12, 31, 0, 0, 5}), "12/31/2025 12:00:05 AM");
    EXPECT_EQ(system.formatDateTime(LocalTime{2025, 1, 2, 12, 30, 0}), "1/2/2025 12:30:00 PM");

    EXPECT_EQ(system.toUtf16("a\xE9"), (std::u16string{u'a', u'\u00E9'}));
}

}  // namespace
}  // namespace stow::sim
