// Runs the Win32 backend's operations against the real API (Wine or Windows) and writes one line
// per check to a results file: "ok ...", "FAIL ..." or "skip ...", then "done <failures>". The
// exit code is the number of failures. The setup service is the Wine install-drivers scenario's:
// it hands the real service INFs it accepts and one it rejects.
// Usage: backend_probe <results file> <expected bitness: 32|64> [expected platform id, 2]

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/win32_platform.h"

using namespace stow;

namespace {

FILE* g_out = nullptr;
int g_failures = 0;

void report(const char* verdict, const std::string& what, const std::string& detail) {
    std::fprintf(g_out, "%s %s%s%s\n", verdict, what.c_str(), detail.empty() ? "" : ": ",
                 detail.c_str());
    std::fflush(g_out);
}

void check(bool condition, const std::string& what, const std::string& detail = {}) {
    if (!condition) ++g_failures;
    report(condition ? "ok" : "FAIL", what, detail);
}

// A check the system would not let us make: said so, neither passed nor failed.
void skip(const std::string& what, const std::string& why) { report("skip", what, why); }

bool iequals(const std::string& a, const std::string& b) {
    return a.size() == b.size() && CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a.data(),
                                                  static_cast<int>(a.size()), b.data(),
                                                  static_cast<int>(b.size())) == CSTR_EQUAL;
}

bool exists(FileSystem& files, const std::string& path) {
    return files.attributes(path) != FileSystem::kInvalidAttributes;
}

void writeFile(FileSystem& files, const std::string& path, const std::string& content) {
    auto file = files.create(path);
    check(file && file->write(content.data(), content.size()), "write " + path);
}

void probeFiles(FileSystem& files, const std::string& root) {
    check(files.createDirectory(root), "createDirectory new");
    check(!files.createDirectory(root), "createDirectory existing fails");
    check(!files.createDirectory(root + "no\\such"), "createDirectory without parent fails");
    check((files.attributes(root) & kAttrDirectory) != 0, "attributes of a directory");
    check(!exists(files, root + "missing"), "attributes of nothing");

    // A file larger than one read, read back in pieces across seeks.
    std::string content(100000, '\0');
    for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7 + i / 251);
    writeFile(files, root + "data.bin", content);
    {
        auto file = files.openRead(root + "data.bin");
        check(file != nullptr, "openRead");
        if (file) {
            check(file->size() == 100000, "size", std::to_string(file->size()));
            char piece[16];
            check(file->seek(50000) && file->read(piece, 16) == 16 &&
                      std::memcmp(piece, content.data() + 50000, 16) == 0,
                  "seek and read");
            std::vector<char> rest(200000);
            check(file->read(rest.data(), rest.size()) == 100000 - 50016, "short read at end");
            check(file->read(rest.data(), rest.size()) == 0, "read at end answers 0");
            check(file->seek(0) && file->read(rest.data(), 4) == 4 &&
                      std::memcmp(rest.data(), content.data(), 4) == 0,
                  "seek back to start");
            check(!file->seek(-1), "negative seek fails");
            // Readers share with readers, as the loader does with the running exe.
            check(files.openRead(root + "data.bin") != nullptr, "second reader");
        }
    }
    writeFile(files, root + "data.bin", "abc");
    {
        auto file = files.openRead(root + "data.bin");
        check(file && file->size() == 3, "create empties an existing file");
    }
    {
        auto writer = files.create(root + "locked.bin");
        check(writer && !files.openRead(root + "locked.bin"), "a file being written is not shared");
    }
    check(files.openRead(root + "missing") == nullptr, "openRead of nothing");
    check(files.create(root + "no\\such\\file") == nullptr, "create without directory");

    // Enumeration returns hidden entries and directories with their attributes. Patterns are the
    // Wine install-drivers scenario's: it looks for "*.inf" among look-alikes.
    check(files.createDirectory(root + "sub"), "createDirectory sub");
    writeFile(files, root + "hidden.inf", "x");
    SetFileAttributesA((root + "hidden.inf").c_str(), FILE_ATTRIBUTE_HIDDEN);
    std::map<std::string, uint32_t> listed;
    int entries = 0;
    if (auto finder = files.findFirst(root + "*")) {
        FindEntry entry;
        for (; finder->next(entry); ++entries) listed[entry.name] = entry.attributes;
        check(!finder->next(entry), "finder stays at its end");
    }
    const std::pair<const char*, uint32_t> expected[] = {
        {".", kAttrDirectory}, {"..", kAttrDirectory},   {"sub", kAttrDirectory},
        {"data.bin", 0},       {"hidden.inf", kAttrHidden}, {"locked.bin", 0}};
    for (const auto& [name, attribute] : expected) {
        check(listed.count(name) && (listed[name] & attribute) == attribute,
              std::string("find lists ") + name);
    }
    check(entries == 6, "find lists nothing else", std::to_string(entries));
    check(files.findFirst(root + "*.none") == nullptr, "find without match");
    check(files.findFirst(root + "nodir\\*") == nullptr, "find in a missing directory");

    std::string before = files.currentDirectory();
    check(!before.empty(), "currentDirectory", before);
    bool moved = files.setCurrentDirectory(root + "sub");
    std::string now = files.currentDirectory();
    check(moved && iequals(now, root + "sub"), "setCurrentDirectory", now);
    check(!files.setCurrentDirectory(root + "missing"), "setCurrentDirectory to nothing fails");

    // A current directory longer than 260 characters, where the system allows one.
    std::string deep = root + "sub";
    while (deep.size() < 300) {
        deep += "\\abcdefghijklmnopqrstuvwxyz";
        CreateDirectoryA(deep.c_str(), nullptr);
    }
    if (files.setCurrentDirectory(deep)) {
        check(iequals(files.currentDirectory(), deep), "long currentDirectory",
              std::to_string(files.currentDirectory().size()));
    } else {
        skip("long currentDirectory", "the system refuses it");
    }
    check(files.setCurrentDirectory(before), "restore currentDirectory");
}

bool keyExists(const char* path) {
    win32::UniqueKey key;
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, key.receive()) == ERROR_SUCCESS;
}

// A REG_SZ value, or "<none>".
std::string readValue(const char* path, const char* name) {
    win32::UniqueKey key;
    char data[256] = {};
    DWORD type = 0, size = sizeof data - 1;
    const bool read =
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, key.receive()) == ERROR_SUCCESS &&
        RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) ==
            ERROR_SUCCESS;
    return read && type == REG_SZ ? data : "<none>";
}

// Which view a 32-bit process writes is the Wine install scenarios' registry check.
void probeRegistry(Registry& registry) {
    const char* leaf = "Software\\StowawayProbe\\Tree\\Leaf";
    {
        auto key = registry.openOrCreate(leaf, kKeyAllAccess);
        check(key != nullptr, "openOrCreate with missing parents");
        check(key && key->setString("C:\\Drivers\\a.inf", "oem7.inf"), "setString");
        check(key && key->setString("C:\\Drivers\\a.inf", "oem8.inf"), "setString again");
        check(key && key->setString("", "default"), "setString default value");
    }
    check(readValue(leaf, "C:\\Drivers\\a.inf") == "oem8.inf", "value replaced",
          readValue(leaf, "C:\\Drivers\\a.inf"));
    check(registry.openOrCreate(leaf, kKeyAllAccess) != nullptr, "openOrCreate existing");
    registry.openOrCreate("Software\\StowawayProbe\\Tree\\Other\\Deep\\Er", kKeyAllAccess);

    check(registry.deleteTree("Software\\StowawayProbe\\Tree"), "deleteTree");
    check(!keyExists("Software\\StowawayProbe\\Tree"), "tree is gone");
    check(keyExists("Software\\StowawayProbe"), "parent stays");
    check(!registry.deleteTree("Software\\StowawayProbe\\Tree"), "deleteTree of nothing fails");
    check(!registry.deleteTree("") && !registry.deleteTree("\\") && keyExists("Software"),
          "deleteTree refuses the root");
    check(registry.deleteTree("Software\\StowawayProbe"), "deleteTree cleanup");
}

void probeSystem(System& system, bool wow64, uint32_t platform_id) {
    check(system.platformId() == platform_id, "platformId",
          std::to_string(system.platformId()));
    check(system.isWow64() == wow64, "isWow64");

    // The folders, the command line and the running exe are every Wine install scenario's: it
    // expects each profile's exact locations, and the installer reads its package from itself.
    check(system.specialFolder(0x7F).empty(), "specialFolder unknown is empty");
    check(!system.isLeadByte('A') && !system.isLeadByte('\\'), "isLeadByte of ASCII");
    check(system.toUtf16(std::string("a\0b", 3)) == std::u16string(u"a\0b", 3),
          "toUtf16 converts the whole text");
    check(system.toUtf16("").empty(), "toUtf16 empty");
    if (GetACP() == 1252) {
        check(system.toUtf16("\xE4\x80") == u"\u00E4\u20AC", "toUtf16 code page 1252");
    }

    // The clock itself is the Wine install scenarios' (the uninstall entry's date is today's).
    LocalTime t;
    t.year = 2026, t.month = 3, t.day = 7, t.hour = 13, t.minute = 5, t.second = 9;
    std::string stamp = system.formatDateTime(t);
    size_t blank = stamp.find(' ');
    check(blank != std::string::npos && blank > 0 && stamp.find("7") < blank &&
              stamp.find(":05:09", blank) != std::string::npos,
          "formatDateTime", stamp);
}

void probeThreads(Threads& threads, FileSystem& files, const std::string& redirected_file,
                  bool wow64) {
    bool ran = false;
    bool worker_sees_redirection = false;
    auto thread = threads.createSuspended([&] {
        ran = true;
        // Redirection is switched off per thread: a worker keeps the system's default.
        worker_sees_redirection = exists(files, redirected_file);
    });
    check(thread && !thread->finished(), "created suspended");
    threads.sleep(20);
    check(!ran, "body waits for resume");
    auto finishes = [&](Thread& t) {
        for (int polls = 0; !t.finished() && polls < 5000; ++polls) threads.sleep(1);
        return t.finished();
    };
    thread->resume();
    check(finishes(*thread) && ran, "body ran and the thread finished");
    if (wow64) check(worker_sees_redirection, "worker keeps redirection");
    thread.reset();

    bool never = false;
    auto unused = threads.createSuspended([&] { never = true; });
    DWORD start = GetTickCount();
    unused.reset();
    check(!never && GetTickCount() - start < 2000, "never resumed thread is released unrun");

    auto thrower = threads.createSuspended([] { throw 42; });
    thrower->resume();
    check(finishes(*thrower), "a throwing body ends its thread only");
}

// Creating and saving links is the Wine install scenarios', which read every link back through
// the shell; here what they do not reach.
void probeShellLinks(ShellLinks& shell, System& system, const std::string& root) {
    check(shell.coInitialize() == kSOk, "coInitialize");
    check(shell.coInitialize() == kSFalse, "coInitialize again answers S_FALSE");
    shell.coUninitialize();
    {
        std::unique_ptr<ShellLinkObject> link;
        check(shell.createShellLink(link) == kSOk && link, "createShellLink");
        if (link) {
            check(link->save(system.toUtf16(root + "x.lnk")) < 0,
                  "save before queryPersistFile fails");
            check(link->queryPersistFile() == kSOk && link->setPath(root + "data.bin") == kSOk &&
                      link->save(system.toUtf16(root + "no\\such\\x.lnk")) < 0,
                  "save into a missing folder fails");
        }
    }
    shell.coUninitialize();

    std::string text = shell.errorText(static_cast<HResult>(0x80070005));
    check(!text.empty() && text.back() != '\n' && text.back() != '\r' && text.back() != ' ',
          "errorText trimmed", text);
    check(shell.errorText(static_cast<HResult>(0x8FFF1234)).empty(), "errorText without text");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: backend_probe <results file> <32|64>\n");
        return 100;
    }
    g_out = std::fopen(argv[1], "wb");  // plain "\n" lines for the host-side check
    if (!g_out) return 101;
    bool wow64 = std::strcmp(argv[2], "64") == 0;
    uint32_t platform_id = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : kPlatformWin32Nt;

    Win32Platform win32;
    win32.setOwnerWindow(nullptr);
    Platform& platform = win32.platform();
    const std::string root = "C:\\stowaway-probe\\";

    probeFiles(platform.files, root);
    probeRegistry(platform.registry);
    probeSystem(platform.system, wow64, platform_id);
    probeShellLinks(platform.shell, platform.system, root);

    // Redirection: a file written to system32 with redirection on lands in the 32-bit folder;
    // once it is off, system32 is the native folder and no longer shows it.
    std::string sys = platform.system.systemDirectory();
    std::string x86 = platform.system.specialFolder(kCsidlSystemX86);
    std::string probe_file = sys + "\\stowprobe.tmp";
    writeFile(platform.files, probe_file, "x");
    platform.system.disableFsRedirection();
    check(exists(platform.files, probe_file) == !wow64, "redirection off after disabling");
    check(exists(platform.files, x86 + "\\stowprobe.tmp"), "the 32-bit folder holds the file");
    probeThreads(platform.threads, platform.files, probe_file, wow64);
    DeleteFileA((x86 + "\\stowprobe.tmp").c_str());

    std::fprintf(g_out, "done %d\n", g_failures);
    std::fclose(g_out);
    return g_failures;
}
