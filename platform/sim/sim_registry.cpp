// The in-memory registry. Key paths are checked the way RegCreateKeyEx checks them (no leading
// "\", no empty component, components of at most 255 characters); an open key that has since
// been deleted refuses writes, as a real handle to a deleted key does.
#include "platform/sim/sim_registry.h"

#include <vector>

#include "platform/sim/sim_paths.h"

namespace stow::sim {
namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

// The folded form of a key path, or nullopt when the path is malformed.
std::optional<std::string> foldKeyPath(const std::string& path) {
    std::string p = path;
    if (!p.empty() && p.back() == '\\') p.pop_back();
    if (!p.empty() && p.front() == '\\') return std::nullopt;
    size_t start = 0;
    while (!p.empty() && start <= p.size()) {
        size_t end = p.find('\\', start);
        if (end == std::string::npos) end = p.size();
        if (end == start || end - start > 255) return std::nullopt;
        start = end + 1;
    }
    return foldCase(p);
}

bool isUnderKey(const std::string& folded_path, const std::string& folded_key) {
    if (folded_key.empty()) return true;
    return folded_path == folded_key ||
           (folded_path.size() > folded_key.size() &&
            folded_path.compare(0, folded_key.size(), folded_key) == 0 &&
            folded_path[folded_key.size()] == '\\');
}

class SimRegistryKey final : public RegistryKey {
public:
    SimRegistryKey(SimRegistry& registry, int tree, std::string folded_key)
        : registry_(registry), tree_(tree), folded_key_(std::move(folded_key)) {}
    bool setString(const std::string& name, const std::string& data) override {
        return registry_.setString(tree_, folded_key_, name, data);
    }

private:
    SimRegistry& registry_;
    int tree_;
    std::string folded_key_;
};

}  // namespace

RegistryView SimRegistry::processView() const {
    return context_.profile == Profile::Nt64 ? RegistryView::Wow32 : RegistryView::Native;
}

int SimRegistry::treeOf(RegistryView view) const {
    // Without WOW64 both views name the one registry.
    return context_.profile == Profile::Nt64 && view == RegistryView::Wow32 ? 1 : 0;
}

bool SimRegistry::denied(const std::string& folded_path) const {
    for (const std::string& prefix : context_.faults.registryDenied) {
        auto folded_prefix = foldKeyPath(prefix);
        if (folded_prefix && !folded_prefix->empty() && isUnderKey(folded_path, *folded_prefix)) {
            return true;
        }
    }
    return false;
}

bool SimRegistry::undeletable(const std::string& folded_path) const {
    for (const std::string& prefix : context_.faults.registryUndeletable) {
        auto folded_prefix = foldKeyPath(prefix);
        if (folded_prefix && !folded_prefix->empty() && isUnderKey(folded_path, *folded_prefix)) {
            return true;
        }
    }
    return false;
}

std::optional<KeyListing> SimRegistry::list(const std::string& path) {
    Lock lock(context_.mutex);
    auto folded = foldKeyPath(path);
    if (!folded || denied(*folded)) return std::nullopt;
    const Tree& keys = trees_[treeOf(processView())];
    auto found = keys.find(*folded);
    if (found == keys.end()) return std::nullopt;
    KeyListing listing;
    for (const auto& [folded_name, value] : found->second.values) {
        listing.values.emplace_back(value.name, value.data);
    }
    // Direct subkeys only: "a\b" under "a", not "a\b\c".
    const std::string prefix = folded->empty() ? std::string() : *folded + "\\";
    for (auto it = keys.lower_bound(prefix); it != keys.end(); ++it) {
        if (it->first.compare(0, prefix.size(), prefix) != 0) {
            if (it->first > prefix) break;
            continue;
        }
        const std::string rest = it->first.substr(prefix.size());
        if (!rest.empty() && rest.find('\\') == std::string::npos) listing.subkeys.push_back(rest);
    }
    return listing;
}

bool SimRegistry::deleteValue(const std::string& path, const std::string& name) {
    Lock lock(context_.mutex);
    auto folded = foldKeyPath(path);
    if (!folded || context_.faults.registryReadOnly || denied(*folded) || undeletable(*folded)) {
        return false;
    }
    Tree& keys = trees_[treeOf(processView())];
    auto found = keys.find(*folded);
    return found != keys.end() && found->second.values.erase(foldCase(name)) != 0;
}

std::unique_ptr<RegistryKey> SimRegistry::openOrCreate(const std::string& path, uint32_t) {
    Lock lock(context_.mutex);
    auto folded = foldKeyPath(path);
    if (!folded || context_.faults.registryReadOnly || denied(*folded)) return nullptr;
    int tree = treeOf(processView());
    Tree& keys = trees_[tree];
    keys[""];
    for (size_t cut = folded->find('\\'); cut != std::string::npos;
         cut = folded->find('\\', cut + 1)) {
        keys[folded->substr(0, cut)];
    }
    keys[*folded];
    return std::make_unique<SimRegistryKey>(*this, tree, *folded);
}

bool SimRegistry::setString(int tree, const std::string& folded_key, const std::string& name,
                            const std::string& data) {
    Lock lock(context_.mutex);
    auto key = trees_[tree].find(folded_key);
    if (key == trees_[tree].end()) return false;
    auto& budget = context_.faults.registryWritesBeforeFailure;
    if (budget) {
        if (*budget <= 0) return false;
        --*budget;
    }
    auto [slot, added] = key->second.values.try_emplace(foldCase(name), Value{name, data});
    if (!added) slot->second.data = data;
    return true;
}

bool SimRegistry::deleteTree(const std::string& path) {
    Lock lock(context_.mutex);
    auto folded = foldKeyPath(path);
    if (!folded || folded->empty() || context_.faults.registryReadOnly) return false;
    Tree& keys = trees_[treeOf(processView())];
    if (keys.count(*folded) == 0) return false;
    // Subkeys sort among keys that merely share the text prefix ("a\b!" sorts before "a\b\c").
    std::vector<Tree::iterator> doomed;
    for (auto it = keys.lower_bound(*folded);
         it != keys.end() && it->first.compare(0, folded->size(), *folded) == 0; ++it) {
        if (isUnderKey(it->first, *folded)) doomed.push_back(it);
    }
    // All or nothing: a denied key anywhere in the tree keeps the whole tree.
    for (auto it : doomed) {
        if (denied(it->first) || undeletable(it->first)) return false;
    }
    for (auto it : doomed) keys.erase(it);
    return true;
}

std::optional<std::string> SimRegistry::value(RegistryView view, const std::string& key,
                                              const std::string& name) const {
    Lock lock(context_.mutex);
    auto folded = foldKeyPath(key);
    if (!folded) return std::nullopt;
    const Tree& keys = trees_[treeOf(view)];
    auto found = keys.find(*folded);
    if (found == keys.end()) return std::nullopt;
    auto value = found->second.values.find(foldCase(name));
    if (value == found->second.values.end()) return std::nullopt;
    return value->second.data;
}

bool SimRegistry::keyExists(RegistryView view, const std::string& key) const {
    Lock lock(context_.mutex);
    auto folded = foldKeyPath(key);
    return folded && trees_[treeOf(view)].count(*folded) != 0;
}

std::map<std::string, std::string> SimRegistry::values(RegistryView view,
                                                       const std::string& key) const {
    Lock lock(context_.mutex);
    std::map<std::string, std::string> out;
    auto folded = foldKeyPath(key);
    if (!folded) return out;
    const Tree& keys = trees_[treeOf(view)];
    auto found = keys.find(*folded);
    if (found == keys.end()) return out;
    for (const auto& [folded_name, value] : found->second.values) out[value.name] = value.data;
    return out;
}

std::vector<std::string> SimRegistry::snapshot(RegistryView view) const {
    Lock lock(context_.mutex);
    std::vector<std::string> out;
    for (const auto& [path, key] : trees_[treeOf(view)]) {
        if (path.empty()) continue;
        out.push_back(path);
        for (const auto& [folded, value] : key.values) out.push_back(path + "\\" + folded + "=" + value.data);
    }
    return out;
}

}  // namespace stow::sim
