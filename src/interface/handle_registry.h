// The live handles of one export family. A handle is the object's address;
// a call with an address the registry does not hold (never returned, or
// freed) finds nothing and is ignored by the export.
#pragma once

#include <mutex>
#include <unordered_set>

namespace zv {

template <class T>
class THandleRegistry {
public:
    void Add(T* object) {
        std::lock_guard<std::mutex> lock(mutex_);
        live_.insert(object);
    }
    void Remove(T* object) {
        std::lock_guard<std::mutex> lock(mutex_);
        live_.erase(object);
    }
    // The object behind a handle, or none.
    T* Find(const void* handle) {
        auto* object = static_cast<T*>(const_cast<void*>(handle));
        std::lock_guard<std::mutex> lock(mutex_);
        return live_.count(object) ? object : nullptr;
    }

private:
    std::mutex mutex_;
    std::unordered_set<T*> live_;
};

// The registry of one family; never freed, so it outlives every static
// destructor of the host.
template <class T>
THandleRegistry<T>& HandleRegistry() {
    static auto* registry = new THandleRegistry<T>();
    return *registry;
}

}  // namespace zv
