// Driver preinstallation: the worker's handling of the service's answer, the enumeration mask,
// and whole driver phases on a simulated machine with an accepting, rejecting or slow service.
#include "engine/drivers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "engine/find_files.h"
#include "engine/inf_thread.h"

namespace stow {
namespace {

// Answers with a fixed result, name and required size, and remembers what it was handed.
class ScriptedService : public SetupService {
public:
    int result = 1;
    std::string name;         // copied into the buffer, NULs and all
    uint32_t required = 0;    // written to *required_size
    int calls = 0;
    std::string source;
    uint32_t media_type = 0, copy_style = 99, destination_size = 0;
    bool buffer_was_all_nul = false;

    int copyOEMInf(const char* src, uint32_t media, uint32_t style, char* destination,
                   uint32_t size, uint32_t* required_size) override {
        ++calls;
        source = src;
        media_type = media;
        copy_style = style;
        destination_size = size;
        buffer_was_all_nul = std::string(destination, size) == std::string(size, '\0');
        std::memcpy(destination, name.data(), std::min<size_t>(name.size(), size));
        *required_size = required;
        return result;
    }
};

// Runs the body on resume, on the calling thread: enough for the worker's own logic.
class InlineThreads : public Threads {
public:
    std::unique_ptr<Thread> createSuspended(std::function<void()> body) override {
        struct InlineThread : Thread {
            std::function<void()> body;
            bool done = false;
            void resume() override {
                body();
                done = true;
            }
            bool finished() override { return done; }
        };
        auto t = std::make_unique<InlineThread>();
        t->body = std::move(body);
        return t;
    }
    void sleep(uint32_t) override {}
};

TEST(InfThread, MakesTheOneCallWithAFreshBufferAndClearsItsInput) {
    InlineThreads threads;
    ScriptedService service;
    service.name = "C:\\WINDOWS\\INF\\oem7.inf";
    service.required = static_cast<uint32_t>(service.name.size() + 1);
    TINFThread thread(threads, service, "D:\\Drivers\\card.inf");
    EXPECT_EQ(service.calls, 0) << "created suspended";
    thread.resume();
    ASSERT_TRUE(thread.finished());
    EXPECT_EQ(service.calls, 1);
    EXPECT_EQ(service.source, "D:\\Drivers\\card.inf");
    EXPECT_EQ(service.media_type, kSpostPath);
    EXPECT_EQ(service.copy_style, 0u);
    EXPECT_EQ(service.destination_size, 283u);
    EXPECT_TRUE(service.buffer_was_all_nul);
    EXPECT_TRUE(thread.success());
    EXPECT_EQ(thread.destinationInfName(), "C:\\WINDOWS\\INF\\oem7.inf");
    EXPECT_EQ(thread.infPath(), "");
}

TEST(InfThread, DestinationNameNeverHoldsNulsWhateverSizeIsReported) {
    struct Case {
        const char* what;
        std::string name;
        uint32_t required;
        std::string expected;
    };
    const std::string oem = "C:\\WINDOWS\\INF\\oem12.inf";
    const std::vector<Case> cases = {
        {"size counts the NUL", oem, uint32_t(oem.size() + 1), oem},
        {"size zero leaves the name at its first NUL", oem, 0, oem},
        {"size beyond the name", oem, 200, oem},
        {"size beyond the buffer", oem, 5000, oem},
        {"size shorter than the name cuts it", oem, 4, "C:\\"},
        {"size one gives an empty name", oem, 1, ""},
        {"embedded NUL ends the name", std::string("oem1.inf\0junk", 13), 14, "oem1.inf"},
        {"a name filling the whole buffer", std::string(283, 'x'), 284, std::string(283, 'x')},
    };
    for (const Case& c : cases) {
        InlineThreads threads;
        ScriptedService service;
        service.name = c.name;
        service.required = c.required;
        TINFThread thread(threads, service, "a.inf");
        thread.resume();
        EXPECT_TRUE(thread.success()) << c.what;
        EXPECT_EQ(thread.destinationInfName(), c.expected) << c.what;
        EXPECT_EQ(thread.destinationInfName().find('\0'), std::string::npos) << c.what;
    }
}

TEST(InfThread, RejectionReportsFailureWithoutAName) {
    InlineThreads threads;
    ScriptedService service;
    service.result = 0;
    service.name = "partial";
    service.required = 8;
    TINFThread thread(threads, service, "a.inf");
    thread.resume();
    EXPECT_FALSE(thread.success());
    EXPECT_EQ(thread.destinationInfName(), "");
    EXPECT_EQ(thread.infPath(), "");
}

TEST(InfThread, AThreadNeverResumedDoesNotCallTheService) {
    InlineThreads threads;
    ScriptedService service;
    { TINFThread thread(threads, service, "a.inf"); }
    EXPECT_EQ(service.calls, 0);
}

TEST(FindMask, SpecialBitsNeedTheMaskToAdmitThem) {
    struct Case {
        uint32_t attributes, mask;
        bool admitted;
    };
    const std::vector<Case> cases = {
        {kAttrArchive, 0, true},
        {kAttrReadOnly | kAttrArchive | kAttrNormal, 0, true},
        {kAttrDirectory, 0, false},
        {kAttrDirectory, kFindDirectory, true},
        {kAttrDirectory | kAttrHidden, kFindDirectory, false},
        {kAttrHidden, kFindDirectory, false},
        {kAttrSystem | kAttrArchive, kFindDirectory, false},
        {kAttrVolumeId, kFindDirectory, false},
        {kAttrHidden | kAttrSystem | kAttrDirectory, kFindAnyFile, true},
        {kAttrVolumeId, kFindAnyFile, true},
        {kAttrHidden, kAttrHidden, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(attributesAdmitted(c.attributes, c.mask), c.admitted)
            << std::hex << c.attributes << " under " << c.mask;
    }
}

}  // namespace
}  // namespace stow
