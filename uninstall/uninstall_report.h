// What the uninstaller did, item by item: removed, scheduled for restart, kept as shared,
// kept as unknown, failed, each with its reason; its text and the program's exit code.
#pragma once

#include <string>
#include <vector>

namespace stow {

enum class Outcome { Removed, Scheduled, KeptShared, KeptUnknown, Failed };

struct ReportItem {
    Outcome outcome;
    std::string what;    // a path, a registry value or key, a link
    std::string reason;  // empty for plain removals
};

// Exit codes: everything removed (some perhaps at restart), something failed or was kept,
// nothing could be done.
constexpr int kExitDone = 0;
constexpr int kExitIncomplete = 1;
constexpr int kExitNothingDone = 2;

class UninstallReport {
public:
    void add(Outcome outcome, const std::string& what, const std::string& reason = {});
    const std::vector<ReportItem>& items() const { return items_; }
    std::vector<std::string> listed(Outcome outcome) const;
    size_t count(Outcome outcome) const;
    // Whether any item names what (letter case ignored).
    bool mentions(const std::string& what) const;
    // Only removals and restart deletions.
    bool complete() const;
    int exitCode() const { return complete() ? kExitDone : kExitIncomplete; }
    // Grouped by outcome, one item a line, CR LF line ends.
    std::string text() const;

private:
    std::vector<ReportItem> items_;
};

}  // namespace stow
