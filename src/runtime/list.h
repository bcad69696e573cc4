// TList: the ordered list of pointers that the buffers, crossing lists and
// array lists derive from.
#pragma once

#include <cstdint>

namespace zv {

class TList {
public:
    TList() = default;
    TList(const TList&) = delete;
    TList& operator=(const TList&) = delete;
    virtual ~TList();

    int32_t Count() const { return count_; }
    int32_t Capacity() const { return capacity_; }
    void SetCapacity(int32_t capacity);

    // Index-checked access: raises EListError for an index outside 0..Count-1.
    void* Get(int32_t index) const;
    void Put(int32_t index, void* item);

    int32_t Add(void* item);
    void Insert(int32_t index, void* item);
    void Delete(int32_t index);
    int32_t IndexOf(const void* item) const;
    // Removes every nil item.
    void Pack();
    // Empties the list; owners override it to free their items first.
    virtual void Clear();

    void* const* List() const { return items_; }

protected:
    [[noreturn]] static void IndexError(int32_t index);

private:
    void Grow();

    void** items_ = nullptr;
    int32_t count_ = 0;
    int32_t capacity_ = 0;
};

}  // namespace zv
