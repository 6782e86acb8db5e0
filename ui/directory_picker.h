// What the main window's Change buttons need of the destination dialog.
#pragma once

#include <string>

namespace stow {

class DirectoryPicker {
public:
    virtual ~DirectoryPicker() = default;
    // Shows the dialog on start; true when the user confirmed, with chosen = the dialog's path text.
    virtual bool pickDirectory(const std::string& start, std::string& chosen) = 0;
};

}  // namespace stow
