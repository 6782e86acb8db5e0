// COM shell links. Each step answers the method's own HRESULT; the caller decides what a
// failure means. The link object must be destroyed before the thread calls CoUninitialize.

#include "platform/win32/win32_shell_links.h"

#include <objbase.h>
#include <shlobj.h>

#include "platform/win32/handles.h"
#include "platform/win32/system_message.h"

namespace stow {
namespace {

using win32::ComPtr;

const GUID kClsidShellLink = {0x00021401, 0x0000, 0x0000,
                              {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const GUID kIidShellLinkA = {0x000214EE, 0x0000, 0x0000,
                             {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const GUID kIidPersistFile = {0x0000010B, 0x0000, 0x0000,
                              {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

class Win32ShellLink final : public ShellLinkObject {
public:
    explicit Win32ShellLink(ComPtr<IShellLinkA> link) : link_(std::move(link)) {}

    HResult queryPersistFile() override {
        return link_->QueryInterface(kIidPersistFile, file_.receive());
    }
    HResult setDescription(const std::string& text) override {
        return link_->SetDescription(text.c_str());
    }
    HResult setPath(const std::string& target) override { return link_->SetPath(target.c_str()); }
    HResult setWorkingDirectory(const std::string& directory) override {
        return link_->SetWorkingDirectory(directory.c_str());
    }
    HResult save(const std::u16string& path) override {
        if (!file_) return E_POINTER;
        return file_->Save(reinterpret_cast<LPCOLESTR>(path.c_str()), TRUE);
    }

private:
    ComPtr<IShellLinkA> link_;
    ComPtr<IPersistFile> file_;
};

}  // namespace

HResult Win32ShellLinks::coInitialize() {
    return CoInitialize(nullptr);
}

void Win32ShellLinks::coUninitialize() {
    CoUninitialize();
}

HResult Win32ShellLinks::createShellLink(std::unique_ptr<ShellLinkObject>& link) {
    ComPtr<IShellLinkA> shell_link;
    HRESULT result = CoCreateInstance(kClsidShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      kIidShellLinkA, shell_link.receive());
    if (FAILED(result)) return result;
    if (!shell_link) return E_POINTER;
    link = std::make_unique<Win32ShellLink>(std::move(shell_link));
    return result;
}

std::string Win32ShellLinks::errorText(HResult code) {
    return win32::systemMessage(static_cast<uint32_t>(code));
}

}  // namespace stow
