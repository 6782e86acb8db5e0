// The simulated HKEY_LOCAL_MACHINE: keys and string values in memory, names without regard to
// case, a native and a 32-bit view (one and the same tree except under WOW64), and the
// read-only, denied-key and failing-write faults.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/sim/sim_context.h"

namespace stow::sim {

class SimRegistry final : public Registry {
public:
    explicit SimRegistry(SimContext& context) : context_(context) {}

    std::unique_ptr<RegistryKey> openOrCreate(const std::string& path, uint32_t access) override;
    bool deleteTree(const std::string& path) override;
    std::optional<KeyListing> list(const std::string& path) override;
    bool deleteValue(const std::string& path, const std::string& name) override;

    RegistryView processView() const;
    std::optional<std::string> value(RegistryView view, const std::string& key,
                                     const std::string& name) const;
    bool keyExists(RegistryView view, const std::string& key) const;
    std::map<std::string, std::string> values(RegistryView view, const std::string& key) const;
    std::vector<std::string> snapshot(RegistryView view) const;

    // A write through an open key; false when the key is gone or the write fault fires.
    bool setString(int tree, const std::string& folded_key, const std::string& name,
                   const std::string& data);

private:
    struct Value {
        std::string name;  // as first written
        std::string data;
    };
    struct Key {
        std::map<std::string, Value> values;  // by folded name
    };
    using Tree = std::map<std::string, Key>;  // by folded path, "" being HKLM itself

    int treeOf(RegistryView view) const;
    bool denied(const std::string& folded_path) const;
    bool undeletable(const std::string& folded_path) const;

    SimContext& context_;
    Tree trees_[2];
};

}  // namespace stow::sim
