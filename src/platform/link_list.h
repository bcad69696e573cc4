// TlinkList: the references of a stream read that wait for their target,
// the components made while reading, and names that stand for components.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace zv {

class TComponent;
class TZvComponent;

// One reference field waiting for the component at Path.
struct TlinkItem {
    bool ByName = false;              // look Path up among the names of the link list
    TZvComponent** Target = nullptr;  // the reference field to fill
    TZvComponent* Context = nullptr;  // resolve below this one; none: through the application
    std::string Path;
    const TComponent* Reader = nullptr;  // the reader that waits for it
    TComponent* Holder = nullptr;        // the component that holds the field, or none
};

// Owns its link items, in the order they were added.
class TOpenlinks {
public:
    int32_t Count() const { return static_cast<int32_t>(items_.size()); }
    TlinkItem& Items(int32_t i) { return *items_.at(static_cast<size_t>(i)); }
    void Add(TlinkItem item) { items_.push_back(std::make_unique<TlinkItem>(std::move(item))); }
    void Delete(int32_t i) { items_.erase(items_.begin() + i); }
    void Clear() { items_.clear(); }

private:
    std::vector<std::unique_ptr<TlinkItem>> items_;
};

class TlinkList {
public:
    TOpenlinks Open;
    // Every component made while a read runs.
    std::vector<TZvComponent*> Read;

    void AddName(const std::string& name, TZvComponent* comp);
    void RemoveComponent(const TZvComponent* comp);
    // The component recorded under that name (letter case ignored), or none.
    TZvComponent* ComponentNamed(const std::string& name) const;
    // From the last pending link of reader to the first: fills and drops
    // every one whose target is found; true when one was.
    bool Resolve(const TComponent* reader);
    void Clear();

private:
    TZvComponent* Find(const TlinkItem& link) const;

    std::vector<std::pair<std::string, TZvComponent*>> names_;
};

}  // namespace zv
