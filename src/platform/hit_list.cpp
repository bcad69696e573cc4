#include "platform/hit_list.h"

namespace zv {

THittypeList::~THittypeList() { THittypeList::Clear(); }

void THittypeList::Compare(THitType* added, THitType* existing, bool& advance, bool& accept) {
    advance = false;
    if (OnCompare.Assigned()) {
        OnCompare(this, added, existing, advance, accept);
        return;
    }
    auto* a = dynamic_cast<THitItem*>(added);
    auto* b = dynamic_cast<THitItem*>(existing);
    advance = a && b && a->Depth < b->Depth;
}

void THittypeList::Add(THitType* item) {
    if (!item) return;
    bool accept = true, advance = false;
    try {
        Compare(item, item, advance, accept);
        int32_t index = 0;
        while (accept && index < Count()) {
            Compare(item, Items(index), advance, accept);
            if (!advance || !accept) break;
            ++index;
        }
        if (accept) {
            Insert(index, item);
            OnNotify(this, item);
            return;
        }
    } catch (...) {
        if (IndexOf(item) < 0) delete item;
        throw;
    }
    delete item;
}

void THittypeList::Clear() {
    for (int32_t i = Count() - 1; i >= 0; --i) delete Items(i);
    TList::Clear();
}

}  // namespace zv
