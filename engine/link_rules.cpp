// The link rule table. Upper-casing touches ASCII letters only, so double-byte names compare
// byte for byte; "weblink.html" is the one name matched with its letter case.
#include "engine/link_rules.h"

#include "base/paths.h"

namespace stow {

std::string extensionOf(const std::string& name) {
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string withoutExtension(const std::string& name) {
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

LinkDecision decideLink(const std::string& name, bool is_directory, const std::string& vendor) {
    auto none = [](int rule) { return LinkDecision{LinkAction::None, std::string(), rule}; };
    auto link = [](std::string link_name, int rule) {
        return LinkDecision{LinkAction::Link, std::move(link_name), rule};
    };

    if (!name.empty() && name[0] == '.') return none(1);

    const std::string upper = upperAscii(name);
    if (is_directory) {
        if (upper == "DOS") return {LinkAction::SubGroup, "DOS Samples", 2};
        if (upper == "WIN32") return {LinkAction::SubGroup, "Windows Samples", 3};
        if (upper == "WIN16") return {LinkAction::SubGroup, "Windows 16bit Samples", 4};
        return link(name, 5);
    }

    if (!name.empty() && name[0] == '_') return none(6);
    const std::string ext = upperAscii(extensionOf(name));
    if (ext == ".PDF") return link(withoutExtension(name) + " Manual (.PDF)", 7);
    if (ext == ".EXE" && upper == "SETUP.EXE") return link("Settings", 8);
    if (ext == ".EXE") return link(withoutExtension(name), 9);
    if (ext == ".TXT") return link(name, 10);
    if (name == "weblink.html") return link(vendor + " Web Site", 11);
    if (ext == ".HTML") return link(name, 12);
    if (ext == ".HTM") return link(name, 13);
    return none(14);
}

}  // namespace stow
