#include "runtime/list.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "runtime/exception.h"

namespace zv {

TList::~TList() { std::free(items_); }

void TList::IndexError(int32_t index) {
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

void TList::SetCapacity(int32_t capacity) {
    if (capacity < count_) throw EListError("List capacity out of bounds (" + std::to_string(capacity) + ")");
    if (capacity == capacity_) return;
    void* grown = std::realloc(items_, sizeof(void*) * static_cast<size_t>(capacity > 0 ? capacity : 1));
    if (!grown) throw std::bad_alloc();
    items_ = static_cast<void**>(grown);
    capacity_ = capacity;
}

void TList::Grow() {
    int32_t delta = capacity_ > 64 ? capacity_ / 4 : (capacity_ > 8 ? 16 : 4);
    SetCapacity(capacity_ + delta);
}

void* TList::Get(int32_t index) const {
    if (index < 0 || index >= count_) IndexError(index);
    return items_[index];
}

void TList::Put(int32_t index, void* item) {
    if (index < 0 || index >= count_) IndexError(index);
    items_[index] = item;
}

int32_t TList::Add(void* item) {
    if (count_ == capacity_) Grow();
    items_[count_] = item;
    return count_++;
}

void TList::Insert(int32_t index, void* item) {
    if (index < 0 || index > count_) IndexError(index);
    if (count_ == capacity_) Grow();
    std::memmove(items_ + index + 1, items_ + index, sizeof(void*) * static_cast<size_t>(count_ - index));
    items_[index] = item;
    ++count_;
}

void TList::Delete(int32_t index) {
    if (index < 0 || index >= count_) IndexError(index);
    --count_;
    std::memmove(items_ + index, items_ + index + 1, sizeof(void*) * static_cast<size_t>(count_ - index));
}

int32_t TList::IndexOf(const void* item) const {
    for (int32_t i = 0; i < count_; ++i)
        if (items_[i] == item) return i;
    return -1;
}

void TList::Pack() {
    int32_t kept = 0;
    for (int32_t i = 0; i < count_; ++i)
        if (items_[i]) items_[kept++] = items_[i];
    count_ = kept;
}

void TList::Clear() {
    std::free(items_);
    items_ = nullptr;
    count_ = 0;
    capacity_ = 0;
}

}  // namespace zv
