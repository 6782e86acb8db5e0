// Which Start-menu link an entry at the top of the target directory earns: a pure rule table,
// first match wins, so it can be checked for any name without a disk or a shell.
#pragma once

#include <string>

namespace stow {

enum class LinkAction {
    None,      // no link
    Link,      // one link in the group: target directory + name, named linkName
    SubGroup,  // a sub-folder of links for every entry of the directory, named linkName
};

struct LinkDecision {
    LinkAction action = LinkAction::None;
    std::string linkName;  // the link's name, or the sub-group's name
    int rule = 0;          // the table row that decided (1-14), for diagnostics and tests
};

// The text from the last "." to the end, the dot included; "" when there is none.
std::string extensionOf(const std::string& name);
// name with extensionOf(name) removed.
std::string withoutExtension(const std::string& name);

// Decides for one enumeration entry (its bare name) of the target directory.
LinkDecision decideLink(const std::string& name, bool is_directory, const std::string& vendor);

}  // namespace stow
