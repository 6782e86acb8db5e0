// The report's text: a heading per outcome that occurred, then its items in the order done.
#include "uninstall/uninstall_report.h"

#include "base/paths.h"

namespace stow {

void UninstallReport::add(Outcome outcome, const std::string& what, const std::string& reason) {
    items_.push_back(ReportItem{outcome, what, reason});
}

std::vector<std::string> UninstallReport::listed(Outcome outcome) const {
    std::vector<std::string> out;
    for (const ReportItem& item : items_) {
        if (item.outcome == outcome) out.push_back(item.what);
    }
    return out;
}

size_t UninstallReport::count(Outcome outcome) const { return listed(outcome).size(); }

bool UninstallReport::mentions(const std::string& what) const {
    for (const ReportItem& item : items_) {
        if (upperAscii(item.what) == upperAscii(what)) return true;
    }
    return false;
}

bool UninstallReport::complete() const {
    for (const ReportItem& item : items_) {
        if (item.outcome != Outcome::Removed && item.outcome != Outcome::Scheduled) return false;
    }
    return true;
}

std::string UninstallReport::text() const {
    static const struct {
        Outcome outcome;
        const char* heading;
    } kGroups[] = {
        // What needs the user's attention first; the long list of removals last.
        {Outcome::Failed, "Could not be removed:"},
        {Outcome::Scheduled, "Removed when Windows restarts (in use now):"},
        {Outcome::KeptShared, "Kept, another installation uses it:"},
        {Outcome::KeptUnknown, "Kept, not known to belong to this software:"},
        {Outcome::Removed, "Removed:"},
    };
    std::string out;
    for (const auto& group : kGroups) {
        bool first = true;
        for (const ReportItem& item : items_) {
            if (item.outcome != group.outcome) continue;
            if (first) {
                if (!out.empty()) out += "\r\n";
                out += std::string(group.heading) + "\r\n";
                first = false;
            }
            out += "  " + item.what;
            if (!item.reason.empty()) out += " (" + item.reason + ")";
            out += "\r\n";
        }
    }
    if (out.empty()) out = "Nothing was removed.\r\n";
    return out;
}

}  // namespace stow
