#include "platform/memory_arena.h"

#include <cstring>
#include <new>

#include "runtime/exception.h"

namespace zv {

TZVMemory::TZVMemory(int32_t growBy) : growBy_(growBy < 1 ? 1 : growBy) {}

int32_t TZVMemory::Allocate(int32_t n) {
    if (n < 0) throw Exception(" out Of ZVmemorysize ");
    if (static_cast<int64_t>(used_) + n > capacity_) {
        int64_t steps = (static_cast<int64_t>(n) + growBy_ - 1) / growBy_;
        int64_t grown = capacity_ + steps * growBy_;
        if (grown > INT32_MAX) throw std::bad_alloc();
        auto block = std::make_unique<uint8_t[]>(static_cast<size_t>(grown));
        if (capacity_ > 0) std::memcpy(block.get(), data_.get(), static_cast<size_t>(capacity_));
        data_ = std::move(block);
        capacity_ = static_cast<int32_t>(grown);
    }
    int32_t offset = used_;
    used_ += n;
    return offset;
}

int32_t TZVMemory::Append(const void* buffer, int32_t n) {
    int32_t offset = Allocate(n);
    if (n > 0) std::memcpy(data_.get() + offset, buffer, static_cast<size_t>(n));
    return offset;
}

uint8_t* TZVMemory::PtrAt(int32_t offset) {
    if (offset < 0 || offset > used_) throw Exception(" out Of ZVmemorysize ");
    return data_.get() + offset;
}

}  // namespace zv
