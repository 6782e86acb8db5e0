// The destination dialog's Win32 window: created hidden once after the main window, shown
// modally by each Change button, destroyed at the end of the program.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"
#include "ui/directory_picker.h"

namespace stow {

class ChangeDestWindow : public DirectoryPicker {
public:
    // fallback_directory: where the dialog opens when the start directory does not exist
    // (the Windows directory's drive root).
    ChangeDestWindow(Platform& platform, const std::string& fallback_directory);
    ~ChangeDestWindow() override;
    ChangeDestWindow(const ChangeDestWindow&) = delete;
    ChangeDestWindow& operator=(const ChangeDestWindow&) = delete;

    bool pickDirectory(const std::string& start, std::string& chosen) override;
    void setFallbackDirectory(const std::string& directory);

    // The dialog's HWND, for tests that drive it.
    void* handle() const;

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace stow
