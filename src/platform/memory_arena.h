// TZVMemory: a growable byte arena. Allocations are addressed by offsets,
// which stay valid when the block grows; addresses do not.
#pragma once

#include <cstdint>
#include <memory>

namespace zv {

class TZVMemory {
public:
    // The block grows in steps of growBy bytes (at least 1).
    explicit TZVMemory(int32_t growBy);
    TZVMemory(const TZVMemory&) = delete;
    TZVMemory& operator=(const TZVMemory&) = delete;

    // The offset of n fresh bytes. Raises " out Of ZVmemorysize " for a
    // negative n; an arena beyond 2 GiB raises std::bad_alloc.
    int32_t Allocate(int32_t n);
    // Allocates n bytes and copies buffer there.
    int32_t Append(const void* buffer, int32_t n);
    // The address of the byte at offset; raises " out Of ZVmemorysize "
    // beyond Used (Used itself is accepted).
    uint8_t* PtrAt(int32_t offset);
    // Forgets the allocations and keeps the block.
    void Reset() { used_ = 0; }

    int32_t Capacity() const { return capacity_; }
    int32_t GrowBy() const { return growBy_; }
    int32_t Used() const { return used_; }
    uint8_t* Data() { return data_.get(); }

private:
    int32_t capacity_ = 0;
    int32_t growBy_;
    std::unique_ptr<uint8_t[]> data_;
    int32_t used_ = 0;
};

}  // namespace zv
