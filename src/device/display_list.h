// TDisplayList: the device's record of entity drawings. The base keeps the
// bookkeeping only; a concrete device's list records and replays drawings.
#pragma once

#include <cstdint>

namespace zv {

class TZVDevice;

constexpr int32_t kGLCompileAndExecute = 4865;

class TDisplayList {
public:
    explicit TDisplayList(TZVDevice* device) : device_(device) {}
    TDisplayList(const TDisplayList&) = delete;
    TDisplayList& operator=(const TDisplayList&) = delete;
    virtual ~TDisplayList() = default;

    virtual void SetCurrentList(int32_t n) { currentList_ = n; }
    virtual void SetCompiled(bool compiled) { compiled_ = compiled; }
    virtual void SetAutoCompile(bool on) { autoCompile_ = on; }
    virtual void ListHook() {}
    // Starts recording into CurrentList (a concrete list may allocate a new
    // number and store it in CurrentList); base: nothing.
    virtual void NewList(int32_t mode) { (void)mode; }
    virtual void EndList() { SetCompiled(true); }
    virtual void CallHook() {}
    // Replays CurrentList; base: nothing.
    virtual void CallList() {}

    TZVDevice* Device() const { return device_; }
    bool AutoCompile() const { return autoCompile_; }
    int32_t CurrentList() const { return currentList_; }
    bool Compiled() const { return compiled_; }

private:
    TZVDevice* device_;
    bool autoCompile_ = true;
    int32_t currentList_ = 0;
    bool compiled_ = false;
};

}  // namespace zv
