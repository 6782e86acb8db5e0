// A System that hands every question to another one: the base for wrappers that change one or
// two answers (a dialog owning its message boxes, a test replacing a folder) and keep the rest.
#pragma once

#include "platform/system.h"

namespace stow {

class ForwardingSystem : public System {
public:
    explicit ForwardingSystem(System& inner) : inner_(inner) {}

    uint32_t platformId() override { return inner_.platformId(); }
    bool isWow64() override { return inner_.isWow64(); }
    std::string windowsDirectory() override { return inner_.windowsDirectory(); }
    std::string systemDirectory() override { return inner_.systemDirectory(); }
    std::string specialFolder(int csidl) override { return inner_.specialFolder(csidl); }
    void disableFsRedirection() override { inner_.disableFsRedirection(); }
    SetupService* findSetupService() override { return inner_.findSetupService(); }
    SetupUninstaller* findSetupUninstaller() override { return inner_.findSetupUninstaller(); }
    std::string commandLine() override { return inner_.commandLine(); }
    std::string executablePath() override { return inner_.executablePath(); }
    bool isLeadByte(unsigned char byte) override { return inner_.isLeadByte(byte); }
    std::u16string toUtf16(const std::string& text) override { return inner_.toUtf16(text); }
    LocalTime localTime() override { return inner_.localTime(); }
    std::string formatDateTime(const LocalTime& t) override { return inner_.formatDateTime(t); }
    int messageBox(const std::string& text, const std::string& caption, uint32_t flags) override {
        return inner_.messageBox(text, caption, flags);
    }

protected:
    System& inner() { return inner_; }

private:
    System& inner_;
};

}  // namespace stow
